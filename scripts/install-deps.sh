#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need. Idempotent.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libfreetype-dev fonts-dejavu-core hershey-fonts-data
  nlohmann-json3-dev libdxflib-dev libcpp-httplib-dev python3
  python3-ezdxf)  # ezdxf: the hatch comparison tests and benchmark (tools/ezdxf_hatch_ref.py)
source "$(dirname "$0")/packages.sh"
install_missing "${packages[@]}"
