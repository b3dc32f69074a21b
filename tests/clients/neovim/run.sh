#!/bin/sh
# Runs the Neovim client session against the server, headless, with a
# cache and state of its own (the LSP client's log is read afterwards).
#   run.sh <server binary>
# Exit 77 (skipped) when Neovim is not installed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v nvim >/dev/null 2>&1; then
  echo "skipped: nvim is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
XDG_CACHE_HOME="$home/cache" XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data" \
XDG_CONFIG_HOME="$home/config" QOSA_LSP="$1" \
  nvim --headless -u NONE -i NONE -n -c "luafile $here/session.lua" </dev/null
