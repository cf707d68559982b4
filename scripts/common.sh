# Shared by the scripts in this folder: installs what a fresh Debian machine
# lacks, so that each script is a single command for a newcomer.

set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="$(nproc 2>/dev/null || echo 2)"

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt-get that waits (up to ten minutes) for another package manager run to
# finish instead of failing on its lock, and says only what goes wrong.
apt_get() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -qq \
    -o DPkg::Lock::Timeout=600 "$@"
}

# Installs the Debian packages among the arguments that are not installed yet.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$pkg")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  # The package lists' lock is waited for by hand: not every apt-get waits
  # for it as it does for the package database's.
  local try
  for try in $(seq 60); do
    apt_get update >/dev/null 2>&1 && break
    [ "$try" -eq 60 ] && apt_get update
    sleep 10
  done
  # debconf's note that apt-utils is missing concerns nobody here.
  apt_get install -y --no-install-recommends "${missing[@]}" \
    2> >(grep -v '^debconf: delaying package configuration' >&2) >/dev/null
}

BUILD_PACKAGES=(cmake make g++ libc6-dev)
