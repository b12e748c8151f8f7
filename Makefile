# Two commands: `make run` builds and runs the program (under Wine on Linux),
# `make test` builds everything and runs every test suite. `make unit` is the
# quick loop: the native build and its unit tests only, no mingw-w64, no Wine.
BUILD ?= build
B := $(abspath $(BUILD))

.PHONY: all deps build unit run test screenshots bench fuzz release clean

all: build

deps:
	@scripts/deps.sh

build: deps
	@cmake -S . -B $(B)/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(B)/windows
	@cmake -S . -B $(B)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQD_WINDOWS_BUILD_DIR=$(B)/windows >/dev/null
	@cmake --build $(B)/native

unit:
	@scripts/deps.sh unit
	@cmake -S . -B $(B)/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQD_WINDOWS_BUILD_DIR=$(B)/windows >/dev/null
	@cmake --build $(B)/native --target unit_tests fuzz_replays
	@ctest --test-dir $(B)/native -L unit --output-on-failure

test: build
	@ctest --test-dir $(B)/native --output-on-failure -j2

run: build
	@scripts/run.sh $(B)

screenshots: build
	@scripts/screenshots.sh $(B)

bench: build
	@scripts/bench.sh $(B)

# QD_FUZZ_SECONDS per harness (default 60); see scripts/fuzz.sh.
fuzz: deps
	@scripts/fuzz.sh $(B)

# dist/quellix-detect-<version>-x64.exe and dist/SHA256SUMS from a clean build
# folder; signed when QD_SIGN_PFX and QD_SIGN_PASSWORD name a certificate.
release: deps
	@scripts/release.sh $(B)/release $(CURDIR)/dist

clean:
	rm -rf $(B)
