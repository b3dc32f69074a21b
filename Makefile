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
	@$(CXX) -std=c++23 -O2 -Wall -Ibench bench/replay.cpp -o $(BUILD)/bench/qosa-replay -pthread
	@$(BUILD)/bench/qosa-replay $(BUILD)/qosa-lsp

clean:
	rm -rf build
