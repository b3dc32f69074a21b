# Everything on stdout before the server starts would corrupt the protocol
# stream of `make run`, so the build steps write to stderr.
PRESET ?= release
BUILD  := build/$(PRESET)

.PHONY: all build deps run test bench clean

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

bench: build
	@$(BUILD)/bench/qosa-bench-micro
	@$(BUILD)/bench/qosa-replay $(BUILD)/qosa-lsp

clean:
	rm -rf build
