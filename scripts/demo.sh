#!/usr/bin/env bash
# Installs what is missing, builds the release preset and runs the demo script through the
# reference host; the drawing is written as SVG to examples/out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
mkdir -p examples/out
build/release/qlhost --registry examples/out/demo-registry.reg examples/demo.qls
echo "SVG written to examples/out/"
