#!/bin/sh
# Runs the Node client session against the server.
#   run.sh <build dir> <server binary>
# The pinned libraries are installed into <build dir>/clients/node with
# `npm ci`, only when the lock file changed since the last install; the
# answer schema is generated there from the protocol's declarations. Exit 77
# (skipped) when Node or the libraries cannot be had, e.g. offline.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work="$1/clients/node"
server="$2"

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo "skipped: node and npm are not installed (scripts/install-deps.sh installs them)"
  exit 77
fi
mkdir -p "$work"
stamp="$work/node_modules/.installed-lock"
if ! cmp -s "$here/package-lock.json" "$stamp"; then
  cp "$here/package.json" "$here/package-lock.json" "$work/"
  if ! (cd "$work" && npm ci --no-audit --no-fund --loglevel=error); then
    echo "skipped: npm ci could not install the client libraries (offline?)"
    exit 77
  fi
  cp "$here/package-lock.json" "$stamp"
fi
if [ ! -s "$work/schema.json" ] || [ "$here/gen-schema.js" -nt "$work/schema.json" ] ||
   [ "$stamp" -nt "$work/schema.json" ]; then
  node "$here/gen-schema.js" "$work/node_modules" "$work" || exit 1
fi
exec node "$here/session.js" "$server" "$work/schema.json" "$work/node_modules"
