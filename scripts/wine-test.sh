#!/usr/bin/env bash
# The Windows build under Wine: installs mingw-w64 and 32-bit Wine when missing, builds and
# checks the package (scripts/package.sh: quillet.dll, qltestplugin.dll and the Windows host
# PLV7.exe for i686 in build/mingw, then dist/quillet-1026-win32.zip), and runs every scenario
# of tests/scenarios (or the folders given, e.g. `core hatch`) with PLV7.exe loading the very
# quillet.dll of the package (their hashes are compared), in throw-away Wine prefixes that use
# the null graphics driver and have DejaVu installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
jobs=${QL_WINE_JOBS:-2}

# --- Packages and build ------------------------------------------------------------------
# The package (cross build, import check, zip) is made while Wine is installed and its
# prefixes are made; the step waits for it before the first scenario.
runtime=(wine wine32:i386 fonts-dejavu-core)
source "$root/scripts/packages.sh"
install() {
  ((${#@})) || return 0
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@"
}
# A machine whose package sources offer no mingw-w64 or 32-bit Wine cannot run this step: it
# says so and is counted as skipped, never as passed (QL_WINE_REQUIRED=1 makes it a failure).
cannot_install() {
  echo "wine: SKIPPED, the Windows build was not run: could not install $*"
  [ "${QL_WINE_REQUIRED:-0}" = 1 ] && exit 1
  exit 0
}
mapfile -t missing_tools < <(missing_packages "${windows_build_packages[@]}")
mapfile -t missing_runtime < <(missing_packages "${runtime[@]}")
if ((${#missing_tools[@]} + ${#missing_runtime[@]})); then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq || echo "wine: apt-get update failed; trying the package lists there are"
fi
# The build tools first (apt takes one installer at a time), then the package is made while
# Wine is installed.
install "${missing_tools[@]}" || cannot_install "${missing_tools[*]}"
build_log=$(mktemp /tmp/ql-wine-build.XXXXXX)
QL_JOBS=$((jobs < 2 ? jobs : 2)) bash "$root/scripts/package.sh" >"$build_log" 2>&1 &
build_pid=$!
if ! install "${missing_runtime[@]}"; then
  kill "$build_pid" 2>/dev/null || true
  cannot_install "${missing_runtime[*]}"
fi

# --- Wine prefixes -----------------------------------------------------------------------
# One prefix per parallel job: the host keeps the scenarios' registry on the real keys of
# HKEY_CURRENT_USER, which jobs sharing a prefix would overwrite for each other. The first
# prefix is made once (null graphics driver, DejaVu fonts) and copied for the other jobs
# after its server has ended; each prefix then keeps one server up for the whole run.
work=$(mktemp -d /tmp/ql-wine.XXXXXX)
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
prefixes=()
for ((j = 1; j <= jobs; j++)); do prefixes+=("$work/prefix$j"); done
cleanup() {
  for p in "${prefixes[@]}"; do [ -d "$p" ] && WINEPREFIX=$p wineserver -k 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
(
  export WINEPREFIX=${prefixes[0]}
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  cp /usr/share/fonts/truetype/dejavu/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
)
for p in "${prefixes[@]:1}"; do cp -a "${prefixes[0]}" "$p"; done
for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -p; done

status=0
wait "$build_pid" || status=$?
if ((status == 3)); then
  cat "$build_log"
  cannot_install "the mingw-w64 tools"
elif ((status != 0)); then
  cat "$build_log"
  echo "wine: the Windows build or its package failed"
  exit 1
fi
grep '^imports OK' "$build_log"
rm -f "$build_log"

# The DLL under test is the package's, byte for byte.
shipped=$(python3 -c 'import hashlib, sys, zipfile
print(hashlib.sha256(zipfile.ZipFile(sys.argv[1]).read("quillet-1026-win32/quillet.dll")).hexdigest())' \
  "$root/dist/quillet-1026-win32.zip")
tested=$(sha256sum "$build/quillet.dll" | cut -d' ' -f1)
if [ "$shipped" != "$tested" ]; then
  echo "wine: build/mingw/quillet.dll ($tested) is not the package's quillet.dll ($shipped)"
  exit 1
fi
echo "wine: testing the package's quillet.dll, sha256 $tested"

# --- Scenarios ---------------------------------------------------------------------------
# Each job runs its share of the list one scenario after the other in its own prefix.
scenarios=$root/tests/scenarios
folders=("$@")
((${#folders[@]})) || folders=(.)
mkdir -p "$work/registry" "$work/logs"
list=$work/scenarios.txt
for f in "${folders[@]}"; do find "$scenarios/$f" -name '*.qls'; done | sed 's#/\./#/#' | sort -u >"$list"

# run_one NAME FILE [REGISTRY]: one run of the host, with the registry file of NAME unless
# another is named.
run_one() {
  local name=$1 file=$2 registry=${3:-${1//\//_}} log
  log=$work/logs/${name//\//_}.log
  if (cd "$scenarios" && wine "$build/PLV7.exe" -q --registry "$work/registry/$registry.reg" "$file") \
    >"$log" 2>&1; then
    echo "PASS $name"
  else
    echo "FAIL $name"
  fi
}
run_share() {
  local job=$1 file rel
  export WINEPREFIX=${prefixes[job]}
  awk -v n="$jobs" -v j="$job" '(NR - 1) % n == j' "$list" | while read -r file; do
    rel=${file#"$scenarios"/}
    run_one "${rel%.qls}" "$file"
  done >"$work/share$job.txt"
}
for ((j = 0; j < jobs; j++)); do run_share "$j" & done
wait

# A value stored by one run of the host is read by the next from the registry file alone:
# the real keys are deleted in between.
restart=$root/tests/runtime/restart
(
  export WINEPREFIX=${prefixes[0]}
  run_one runtime/registry-restart-write "$restart/write.qls" restart
  wine reg delete 'HKCU\Software\Tarnwell' /f >/dev/null 2>&1 || true
  run_one runtime/registry-restart-read "$restart/read.qls" restart
) >"$work/share-restart.txt"
# The input check program: real hooks, key state and pop-up menus under the null driver.
(
  export WINEPREFIX=${prefixes[0]}
  if wine "$build/qlinputcheck.exe" >"$work/logs/win_input-check.log" 2>&1; then
    echo "PASS win/input-check"
  else
    echo "FAIL win/input-check"
  fi
) >"$work/share-input.txt"
sort "$work"/share*.txt >"$work/results.txt"

# Known differences (win/wine-differences.txt) are shown but not counted as failures.
known=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$root/win/wine-differences.txt" | awk '{print $1}')
failed=0
differ=0
while read -r status name; do
  if grep -qx "$name" <<<"$known"; then
    if [ "$status" = FAIL ]; then
      differ=$((differ + 1))
      echo "--- $name (known difference under Wine)"
      sed 's/^/    /' "$work/logs/${name//\//_}.log" | head -5
    else
      echo "--- $name passes now: remove it from win/wine-differences.txt"
    fi
  elif [ "$status" = FAIL ]; then
    failed=$((failed + 1))
    echo "--- $name"
    sed 's/^/    /' "$work/logs/${name//\//_}.log" | head -40
  fi
done <"$work/results.txt"
total=$(wc -l <"$work/results.txt")
echo "wine: $((total - failed - differ)) passed, $failed failed, $differ skipped"
((failed == 0))
