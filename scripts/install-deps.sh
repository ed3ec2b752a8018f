# Sourced by test.sh and demo.sh: installs the Debian packages the build needs, only when some are
# missing (a machine that has them all needs neither root nor the network).

vorn_packages=(cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine wine64 libgtest-dev libbenchmark-dev
  nlohmann-json3-dev libcairo2-dev clang libclang-rt-14-dev zip unzip emscripten chromium)

# vorn_apt_install PACKAGE...: apt-get install, through sudo when not root.
vorn_apt_install() {
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@"
}

vorn_install_missing() {
  local missing=()
  local package
  for package in "${vorn_packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  vorn_apt_install "${missing[@]}"
}

# The playground page is bundled and tested with Node.js and npm. A Node.js installed from elsewhere
# brings its own npm and is used as it is; Debian's are installed only when there is none.
vorn_install_node() {
  if command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1; then
    return 0
  fi
  echo "Installing Node.js and npm"
  vorn_apt_install nodejs npm
}
