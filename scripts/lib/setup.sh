# Shared by the project's scripts: installs what a fresh Debian machine lacks
# and builds the project. Sourced, not run.

# Debian packages the build, the tests and the demo need.
SKRW_PACKAGES=(
  build-essential cmake pkg-config git curl ca-certificates
  libcurl4-openssl-dev libssl-dev libpugixml-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev
  clang clang-format libclang-rt-14-dev
  nodejs python3 time
)

skrw_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local pkg
  for pkg in "${SKRW_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || echo "$pkg"
  done
}

ensure_dependencies() {
  local missing
  missing=$(missing_packages | tr '\n' ' ')
  if [ -n "${missing// /}" ]; then
    echo "Installing Debian packages: $missing"
    export DEBIAN_FRONTEND=noninteractive
    skrw_sudo apt-get update -qq
    # shellcheck disable=SC2086
    skrw_sudo apt-get install -y -qq $missing
  fi
  if ! command -v npm >/dev/null 2>&1; then
    export DEBIAN_FRONTEND=noninteractive
    skrw_sudo apt-get install -y -qq npm
  fi
  ensure_test_server_packages
}

# The local S3 server's npm packages, pinned by its package-lock.json.
ensure_test_server_packages() {
  local dir=tests/s3server
  [ -f "$dir/package-lock.json" ] || return 0
  if [ ! -d "$dir/node_modules" ] || [ "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ]; then
    (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
  fi
}

configure_and_build() {
  local build_dir=$1
  shift
  cmake -S . -B "$build_dir" "$@"
  cmake --build "$build_dir" -j "$(nproc)"
}
