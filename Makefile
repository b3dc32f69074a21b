# Everything on stdout before the server starts would corrupt the protocol
# stream of `make run`, so the build steps write to stderr.
PRESET ?= release
BUILD  := build/$(PRESET)

.PHONY: all build deps run test test-asan fuzz bench clean windows test-windows

all: build

deps:
	@scripts/install-deps.sh >&2

build: deps
	@cmake --preset $(PRESET) >&2
	@cmake --build --preset $(PRESET) >&2

run: build
	@exec $(BUILD)/qosa-lsp

test: build
	@ctest --preset $(PRESET)

# The whole suite built with the address and undefined-behaviour sanitizers.
test-asan: deps
	@cmake --preset asan >&2
	@cmake --build --preset asan >&2
	@ctest --preset asan

# Every fuzz target for FUZZ_SECONDS seconds each (60 by default), at once.
fuzz:
	@scripts/install-deps.sh fuzz >&2
	@cmake --preset fuzz >&2
	@cmake --build --preset fuzz >&2
	@scripts/fuzz.sh

bench: build
	@$(BUILD)/bench/qosa-bench-micro
	@$(BUILD)/bench/qosa-replay $(BUILD)/qosa-lsp

# Windows x86-64 (mingw-w64, static): build/windows/qosa-lsp.exe. Its tests
# run under wine, in a prefix of their own under build/ (made on first use).
windows:
	@scripts/install-deps.sh windows >&2
	@cmake --preset windows >&2
	@cmake --build --preset windows >&2

test-windows: windows
	@test -f build/wine/system.reg || WINEPREFIX=$(CURDIR)/build/wine WINEDEBUG=-all wineboot -i >&2
	@ctest --preset windows

clean:
	rm -rf build
