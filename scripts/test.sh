#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the release build, the whole suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer (both replay every fuzz target's
# corpus and regression inputs), and the browser tests of qlhost --serve. Fuzzing itself is
# scripts/fuzz.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
for preset in release asan; do
  cmake --preset "$preset" -DQL_WERROR=ON >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
bash scripts/browser-test.sh build/release
