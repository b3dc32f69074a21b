#!/bin/sh
# Installs the Debian packages the build and the tests need, only when some
# are missing. `install-deps.sh fuzz` adds the compiler of the fuzz targets.
set -eu

packages="cmake ninja-build g++ make pkg-config libboost-json1.81-dev libicu-dev \
libgtest-dev libgmock-dev libbenchmark-dev libsimdjson-dev neovim"
if [ "${1:-}" = "fuzz" ]; then
  # clang-14 cannot compile std::expected; libFuzzer comes with the runtime.
  packages="$packages clang-19 libclang-rt-19-dev"
fi
# `install-deps.sh windows`: the Windows cross build and wine for its tests.
if [ "${1:-}" = windows ]; then
  packages="cmake ninja-build make g++-mingw-w64-x86-64-posix libboost-json1.81-dev googletest wine wine64"
fi

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
# Node.js runs the editor-client test. A Node.js from elsewhere (with its own
# npm) will do; Debian's npm would conflict with it, so only commands count.
if ! command -v node >/dev/null 2>&1; then missing="$missing nodejs"; fi
if ! command -v npm >/dev/null 2>&1; then missing="$missing npm"; fi
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
