#!/usr/bin/env bash
# Browser tests of qlhost --serve: installs Chromium (Debian) and playwright-core (npm) when
# they are missing, starts qlhost --serve on a free port with a temporary root folder, runs
# tests/browser/*.test.mjs with node's test runner and stops the server. Screenshots are kept
# in build/browser-artefacts/. Usage: scripts/browser-test.sh [BUILD_DIR] (default build/release);
# QL_BROWSER_DIR=bench/browser runs the browser timings instead of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
deps=build/browser-deps
artefacts=build/browser-artefacts

source scripts/packages.sh
packages=(chromium nodejs)
command -v npm >/dev/null || packages+=(npm)
install_missing "${packages[@]}"
mkdir -p "$deps" "$artefacts"
# The pinned playwright-core (tests/browser/package.json) runs on Node 18, Debian 12's own; a
# folder installed from another pin is installed again.
if ! cmp -s tests/browser/package.json "$deps/package.json" ||
  [[ ! -f "$deps/node_modules/playwright-core/package.json" ]]; then
  rm -rf "$deps/node_modules" "$deps/package-lock.json"
  cp tests/browser/package.json "$deps/"
  # The npm registry may be out of reach (an offline machine): then the browser tests are
  # skipped with a message, never reported as passed.
  if ! (cd "$deps" && npm install --no-audit --no-fund --silent); then
    echo "browser-test: SKIPPED: playwright-core could not be installed from the npm registry" >&2
    exit 0
  fi
fi
[[ -x "$build/qlhost" ]] || { echo "browser-test: no $build/qlhost; build first" >&2; exit 2; }

root=$(mktemp -d)
log="$root/.qlhost.log"
cp tests/data/pat/*.pat "$root/" 2>/dev/null || true
"$build/qlhost" -q --serve --port 0 --root "$root" --registry "$root/.registry.reg" >"$log" 2>&1 &
server=$!
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  cp "$log" "$artefacts/qlhost.log" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
url=
for _ in $(seq 1 100); do
  url=$(grep -o 'http://[0-9.]*:[0-9]*/' "$log" || true)
  [[ -n "$url" ]] && break
  kill -0 "$server" 2>/dev/null || { cat "$log" >&2; exit 1; }
  sleep 0.1
done
[[ -n "$url" ]] || { echo "browser-test: qlhost did not start" >&2; cat "$log" >&2; exit 1; }

QL_URL="$url" QL_ROOT="$root" QL_QLHOST="$(realpath "$build/qlhost")" QL_ARTEFACTS="$(pwd)/$artefacts" QL_NODE_MODULES="$(pwd)/$deps/node_modules" \
  QL_CHROMIUM="$(command -v chromium)" timeout 170 bash -c 'for f in ${QL_BROWSER_DIR:-tests/browser}/*.mjs; do case $f in *support.mjs) continue;; esac; node --test "$f" || exit 1; done'
