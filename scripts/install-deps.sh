#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need. Idempotent.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libfreetype-dev fonts-dejavu-core hershey-fonts-data
  nlohmann-json3-dev libdxflib-dev libcpp-httplib-dev python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
