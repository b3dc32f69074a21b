# Everything on stdout before the server starts would corrupt the protocol
# stream of `make run`, so the build steps write to stderr.
PRESET ?= release
BUILD  := build/$(PRESET)

.PHONY: all build owner server deps run test test-asan fuzz bench clean windows test-windows

all: build

# A build/ left by `sudo make ...` holds root's files, which no later run as
# this user can rebuild or remove: say so before anything fails on them.
owner:
	@if [ "$$(id -u)" -ne 0 ] && [ -d build ] && \
	   [ -n "$$(find build ! -user "$$(id -u)" -print -quit 2>/dev/null)" ]; then \
	  echo "build/ holds files of another user (left by 'sudo make'?)." >&2; \
	  echo "Remove it with 'sudo rm -rf build', then run make again as yourself." >&2; \
	  exit 1; \
	fi

# Only what the server needs. Once configured, ninja reconfigures by itself
# when a CMakeLists.txt changes, so an editor's start costs a no-op build.
server: owner
	@scripts/install-deps.sh server >&2
	@test -f $(BUILD)/build.ninja || cmake --preset $(PRESET) >&2
	@cmake --build --preset $(PRESET) --target qosa-lsp >&2

run: server
	@exec $(BUILD)/qosa-lsp

# The server, the tests and the benchmarks. It configures again, so that
# what `make run` left out is found now that it is installed.
deps: owner
	@scripts/install-deps.sh test >&2

build: deps
	@cmake --preset $(PRESET) >&2
	@cmake --build --preset $(PRESET) >&2

test: build
	@ctest --preset $(PRESET)

# The whole suite built with the address and undefined-behaviour sanitizers.
test-asan: deps
	@cmake --preset asan >&2
	@cmake --build --preset asan >&2
	@ctest --preset asan

# Every fuzz target for FUZZ_SECONDS seconds each (60 by default), at once.
fuzz: owner
	@scripts/install-deps.sh fuzz >&2
	@cmake --preset fuzz >&2
	@cmake --build --preset fuzz >&2
	@scripts/fuzz.sh

bench: build
	@$(BUILD)/bench/qosa-bench-micro
	@$(BUILD)/bench/qosa-replay $(BUILD)/qosa-lsp

# Windows x86-64 (mingw-w64, static): build/windows/qosa-lsp.exe. Its tests
# run under wine, in a prefix of their own under build/ (made on first use;
# wine's messages while it makes it are its own, and harmless).
windows: owner
	@scripts/install-deps.sh windows >&2
	@cmake --preset windows >&2
	@cmake --build --preset windows >&2

test-windows: windows
	@if [ ! -f build/wine/system.reg ]; then \
	  echo "Making wine's prefix in build/wine (once; its messages go to build/wine-init.log)" >&2; \
	  WINEPREFIX=$(CURDIR)/build/wine WINEDEBUG=-all wineboot -i >build/wine-init.log 2>&1 || \
	    { cat build/wine-init.log >&2; exit 1; }; \
	fi
	@ctest --preset windows

clean: owner
	rm -rf build
