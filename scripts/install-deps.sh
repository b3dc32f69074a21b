#!/bin/sh
# Installs the Debian packages of one set, only when some are missing:
#   install-deps.sh server    what the server needs to build (`make run`)
#   install-deps.sh test      the server's, and what the tests, the benchmarks
#                             and the editor clients need (the default)
#   install-deps.sh fuzz      the server's, and the compiler of the fuzz targets
#   install-deps.sh windows   the Windows cross build and wine for its tests
set -eu

server="cmake ninja-build g++ libboost-json1.81-dev libsimdjson-dev"
set_name=${1:-test}
case $set_name in
  server) packages=$server ;;
  test) packages="$server libicu-dev libgtest-dev libgmock-dev libbenchmark-dev neovim" ;;
  # clang-14 cannot compile std::expected; libFuzzer comes with the runtime.
  fuzz) packages="$server clang-19 libclang-rt-19-dev" ;;
  windows) packages="cmake ninja-build g++-mingw-w64-x86-64-posix libboost-json1.81-dev googletest wine wine64" ;;
  *) echo "usage: install-deps.sh [server|test|fuzz|windows]" >&2; exit 2 ;;
esac

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
if [ "$set_name" = test ]; then
  # Node.js runs the editor-client test. A Node.js from elsewhere (with its own
  # npm) will do; Debian's npm would conflict with it, so only commands count.
  if ! command -v node >/dev/null 2>&1; then missing="$missing nodejs"; fi
  if ! command -v npm >/dev/null 2>&1; then missing="$missing npm"; fi
fi
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=""
elif command -v sudo >/dev/null 2>&1; then
  sudo="sudo"
else
  echo "Missing packages:$missing" >&2
  echo "Install them as root (apt-get install$missing), or give this user sudo rights, and run make again." >&2
  exit 1
fi
echo "Installing:$missing" >&2
# apt-get waits for another apt's dpkg lock (DPkg::Lock::Timeout), but fails
# at once on the lock of its lists or of its archives (apt 2.6), held by
# another `apt-get update` or an unattended download: on those it is run
# again, for up to as long. sudo drops the environment, hence env.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
apt_get() {
  start=$(date +%s)
  while :; do
    if $sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@" >&2 2>"$errors"; then
      cat "$errors" >&2
      return 0
    fi
    if ! grep -q "Could not get lock" "$errors" || [ $(($(date +%s) - start)) -ge 300 ]; then
      cat "$errors" >&2
      return 1
    fi
    if [ -z "${told:-}" ]; then
      echo "Waiting for another apt to finish ($(sed -n 's/^E: \(Could not get lock .*\)/\1/p' "$errors" | head -1))" >&2
      told=1
    fi
    sleep 5
  done
}
apt_get update
# shellcheck disable=SC2086
apt_get install -y --no-install-recommends $missing
