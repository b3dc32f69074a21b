#!/bin/sh
# Installs the Debian packages the build needs, only when some are missing.
set -eu

packages="cmake ninja-build g++ make pkg-config libboost-json1.81-dev libicu-dev \
libgtest-dev libgmock-dev libbenchmark-dev libsimdjson-dev"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing" >&2
if [ "$(id -u)" -eq 0 ]; then
  sudo=""
elif command -v sudo >/dev/null 2>&1; then
  sudo="sudo"
else
  echo "Missing packages:$missing (run as root or install sudo)" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update >&2
# shellcheck disable=SC2086
$sudo apt-get install -y --no-install-recommends $missing >&2
