# Sourced by the scripts that install what they need from Debian.

# Prints, one a line, the packages of the arguments that are not installed.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}

# Installs the packages of the arguments that are missing, after one apt-get update; a machine
# that has them all is left alone.
install_missing() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  ((${#missing[@]})) || return 0
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
}

# The tools of the Windows cross build (scripts/package.sh, scripts/wine-test.sh). llvm-rc
# (package llvm, with clang as its preprocessor) compiles the dialogs as Microsoft's rc does;
# windres is the fallback. The Windows host reads JSON drawings with nlohmann-json, whose
# headers it takes from Debian's package.
windows_build_packages=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev llvm clang
  nlohmann-json3-dev hershey-fonts-data python3 cmake ninja-build ccache)
