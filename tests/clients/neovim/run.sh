#!/bin/sh
# Runs the Neovim client session against the server, headless, with a
# home of its own whose init.lua is the README's Neovim snippet (the Lua block
# after the README's "neovim-init.lua" marker), pointed at this server. Neovim
# starts as a user's does, with file-type detection on; the LSP client's log
# is read afterwards.
#   run.sh <server binary> <README.md>
# Exit 77 (skipped) when Neovim is not installed.
set -u
here=$(cd "$(dirname "$0")" && pwd)
server=$1
readme=$2
if ! command -v nvim >/dev/null 2>&1; then
  echo "skipped: nvim is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config/nvim"
init="$home/config/nvim/init.lua"
placeholder=/path/to/build/release/qosa-lsp
server="$server" placeholder="$placeholder" awk '
  BEGIN { server = ENVIRON["server"]; placeholder = ENVIRON["placeholder"] }
  /<!-- neovim-init.lua/ { marked = 1; next }
  marked && !inside && /^```lua$/ { inside = 1; next }
  inside && /^```$/ { exit }
  inside {
    at = index($0, placeholder)
    if (at) { $0 = substr($0, 1, at - 1) server substr($0, at + length(placeholder)); replaced++ }
    print
  }
  END { if (!replaced) exit 1 }' "$readme" >"$init" || {
  echo "FAILED: no Lua block naming $placeholder after the neovim-init.lua marker in $readme"
  exit 1
}
XDG_CACHE_HOME="$home/cache" XDG_STATE_HOME="$home/state" XDG_DATA_HOME="$home/data" \
XDG_CONFIG_HOME="$home/config" \
  nvim --headless -i NONE -n -c "luafile $here/session.lua" </dev/null
