# The commands of the README: `make run`, `make test` and `make package`.
PRESET ?= dev
BUILD_DIR := build/$(PRESET)
APP_DIR := $(BUILD_DIR)/bin
JOBS := $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build run test test-slow test-asan test-fuzz tidy format format-check \
	package windows bench bench-smoke fuzz clean

all: build

deps:
	@./tools/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset $(PRESET)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build --preset $(PRESET)

# Builds the window alone (with the data beside it, no tests) and starts it.
run: configure
	cmake --build --preset $(PRESET) --target tunebelt
	exec $(APP_DIR)/tunebelt

# Every test but those labelled slow, side by side; `make test-slow` runs
# those (CI runs both).
test: build
	ctest --preset $(PRESET) -LE slow -j$(JOBS)

test-slow: build
	ctest --preset $(PRESET) -L slow

test-asan:
	$(MAKE) test PRESET=asan

# build/package/tunebelt_<version>_<arch>.deb (see cmake/package.cmake).
package:
	$(MAKE) build PRESET=package
	cd build/package && cpack
	@ls build/package/tunebelt_*.deb

# The Windows build, cross-built with MinGW-w64: tunebelt.exe (the native
# window) and tunebelt-cli.exe, every core, CLI and window test under Wine
# (the window's on an Xvfb the Wine session starts, display or none), then
# build/windows/Tunebelt-<version>-win64.zip and .exe (NSIS).
windows:
	@./tools/install-deps.sh --windows
	cmake --preset windows
	cmake --build --preset windows
	ctest --preset windows
	cd build/windows && cpack
	@ls build/windows/Tunebelt-*-win64.*

bench:
	@./tools/install-deps.sh --bench
	$(MAKE) build PRESET=release
	./bench/run.sh build/release/bin
	./bench/window.sh build/release/bin
	./bench/audio.sh build/release/bin

# Every benchmark built and run once, briefly (CI runs this): figures are
# not looked at, only that each still builds and runs.
bench-smoke:
	$(MAKE) build PRESET=release
	ctest --preset release -L bench

# The libFuzzer targets (fuzz preset, clang++): ten minutes each, or a few
# seconds each as a smoke test.
fuzz:
	$(MAKE) build PRESET=fuzz
	./fuzz/run.sh 600 build/fuzz/fuzz

test-fuzz:
	$(MAKE) build PRESET=fuzz
	ctest --preset fuzz

# clang-tidy (.clang-tidy) over the core, the platform layer and the CLI.
tidy: build
	cmake --build --preset $(PRESET) --target tidy

format: configure
	cmake --build --preset $(PRESET) --target format

format-check: configure
	cmake --build --preset $(PRESET) --target format-check

clean:
	rm -rf build
