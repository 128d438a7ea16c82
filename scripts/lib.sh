# Shared by scripts/demo and scripts/check: Debian packages, configure, build.
# shellcheck shell=bash

KX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KX_BUILD=${KX_BUILD:-$KX_ROOT/build}

# Everything the project needs from Debian 12, beyond a bare compiler.
KX_PACKAGES=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev qt6-l10n-tools
  fonts-arphic-uming fonts-dejavu-core
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libmosquitto-dev mosquitto mosquitto-clients
  libmicrohttpd-dev prometheus
  poppler-utils
  groff-base
  ser2net
)

kx_missing_packages() {
  local missing=() p
  for p in "${KX_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  echo "${missing[@]}"
}

kx_ensure_packages() {
  local missing
  missing=$(kx_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y --no-install-recommends $missing" >&2
    exit 1
  fi
  echo "Installing Debian packages: $missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || { echo "apt-get update failed" >&2; exit 1; }
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null ||
    { echo "apt-get install failed: apt-get install -y --no-install-recommends $missing" >&2; exit 1; }
}

kx_build() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  if [ ! -f "$KX_BUILD/CMakeCache.txt" ]; then
    mkdir -p "$KX_BUILD"
    cmake -S "$KX_ROOT" -B "$KX_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$KX_BUILD/.configure.log" 2>&1 ||
      { cat "$KX_BUILD/.configure.log" >&2; echo "cmake configure failed" >&2; exit 1; }
  fi
  echo "Building in $KX_BUILD ..."
  if ! cmake --build "$KX_BUILD" -j "$jobs" >"$KX_BUILD/build.log" 2>&1; then
    grep -E -B2 -A6 'error|Error' "$KX_BUILD/build.log" | head -120 >&2
    echo "build failed (full log: $KX_BUILD/build.log)" >&2
    exit 1
  fi
  grep -E 'warning:' "$KX_BUILD/build.log" | sort -u | head -20 || true
}
