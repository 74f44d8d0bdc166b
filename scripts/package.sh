#!/usr/bin/env bash
# Builds the plug-in a Corvane user installs and writes dist/quillet-1026-win32.zip:
# quillet.dll (i686, from the mingw-w64 cross build in build/mingw), the PAT file the project
# may pass on with its source and licence, INSTALL.txt and the notices of the runtime linked
# into the DLL. The DLL's imports are checked first (tools/check_dll_imports.py), and the check
# must refuse a module that imports from another executable. Installs mingw-w64 when missing.
# Exit 3: the tools could not be installed (scripts/wine-test.sh then skips the Windows step).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/mingw
release=1026
name=quillet-$release-win32
dist=$root/dist

source "$root/scripts/packages.sh"
mapfile -t missing < <(missing_packages "${windows_build_packages[@]}")
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || echo "package: apt-get update failed; trying the package lists there are"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" || {
    echo "package: could not install ${missing[*]}"
    exit 3
  }
fi

cmake -S "$root/win" -B "$build" -G Ninja --toolchain "$root/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQL_WERROR=ON >/dev/null
cmake --build "$build" -j "${QL_JOBS:-2}"

# The import check: the DLL as shipped, against the host interface and the plug-in's objects.
mapfile -t objects < <(find "$build/CMakeFiles/quillet.dir" -name '*.obj' | sort)
python3 "$root/tools/check_dll_imports.py" "$build/quillet.dll" "$root/core/host_api.h" "${objects[@]}"
if python3 "$root/tools/check_dll_imports.py" "$build/qlbadimports.dll" "$root/core/host_api.h" >/dev/null; then
  echo "package: the import check accepted a module that imports from other.exe"
  exit 1
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/pat" "$stage/$name/notices"
cp "$build/quillet.dll" "$stage/$name/"
cp "$root/win/INSTALL.txt" "$stage/$name/"
cp "$root/tests/data/pat/freecad-common-0.20.2_FCPAT.pat" "$stage/$name/pat/FCPAT.pat"
cat >"$stage/$name/pat/SOURCES.txt" <<'TEXT'
FCPAT.pat is FreeCAD's TechDraw pattern file, byte for byte as Debian ships it in the package
freecad-common 0.20.2+dfsg1-4+deb12u1 (/usr/share/freecad/Mod/TechDraw/PAT/FCPAT.pat).
FreeCAD: https://www.freecad.org/. Licence: GNU Lesser General Public License, version 2 or
(at your option) any later version; the text of version 2 is in LGPL-2.txt beside this file.
TEXT
cp /usr/share/common-licenses/LGPL-2 "$stage/$name/pat/LGPL-2.txt"
# quillet.dll links statically GCC's runtime (libgcc, libstdc++: GPL 3 with the GCC Runtime
# Library Exception) and the mingw-w64 runtime with winpthreads: their Debian copyright files.
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/$name/notices/gcc-runtime.txt"
cp /usr/share/doc/mingw-w64-i686-dev/copyright "$stage/$name/notices/mingw-w64-runtime.txt"

mkdir -p "$dist"
rm -f "$dist/$name.zip"
# Fixed times and order, so the same DLL gives the same package.
python3 - "$stage" "$name" "$dist/$name.zip" <<'PY'
import os, sys, zipfile
stage, name, out = sys.argv[1:]
paths = []
for folder, _, files in os.walk(os.path.join(stage, name)):
    paths += [os.path.join(folder, f) for f in files]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for path in sorted(paths):
        info = zipfile.ZipInfo(os.path.relpath(path, stage), (2026, 1, 1, 0, 0, 0))
        info.compress_type = zipfile.ZIP_DEFLATED
        info.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(info, f.read())
PY
echo "package: $dist/$name.zip"
python3 -m zipfile -l "$dist/$name.zip"
