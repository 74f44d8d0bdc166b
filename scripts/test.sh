#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the release build, the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer (both replay every fuzz target's
# corpus and regression inputs), the browser tests of qlhost --serve, the scenarios against the
# Windows build under Wine, and a short run of every fuzz target (scripts/fuzz.sh SECONDS runs
# them longer).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
for preset in release asan; do
  cmake --preset "$preset" -DQL_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
bash scripts/browser-test.sh build/release
bash scripts/wine-test.sh
bash scripts/fuzz.sh 10
