# Thin wrapper around CMake and CTest. `make run` and `make test` set everything up first.
BUILD      ?= build
BUILD_SAN  ?= build-san
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_OPTS ?=
# The end-to-end tests' labels (tests/end-to-end-labels.txt): on a virtual X server, under Wayland,
# of the Debian package, under Wine, of reproducible builds, fuzzing and the web page; they run alone, after the rest.
E2E_LABELS := $(strip $(file < tests/end-to-end-labels.txt))
empty :=
SHELL_LABELS = ^($(subst $(empty) $(empty),|,$(E2E_LABELS)))$$

.PHONY: all setup build run package web test test-plain test-sanitize test-shells bench clean

all: build

setup:
	@scripts/bootstrap.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON $(CMAKE_OPTS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

# detonix_<version>_amd64.deb in the build folder, by dpkg-buildpackage from debian/.
package: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) --target package

# The web page (index.html, detonix.js, detonix.wasm) and detonix-headless for node, with emscripten.
web: setup
	scripts/build-web.sh $(BUILD)-web

test: test-plain test-sanitize test-shells

test-plain: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure -LE '$(SHELL_LABELS)'

# The same tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DDETONIX_SANITIZE=ON -DDETONIX_BENCH=OFF $(CMAKE_OPTS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_SAN) -j $(JOBS) --output-on-failure -LE '$(SHELL_LABELS)'

# ctest -L display, -L wayland and so on, one label after another: -V shows every end-to-end
# check, not only the failures.
test-shells: build
	set -e; for label in $(E2E_LABELS); do ctest --test-dir $(BUILD) -V --no-tests=error -L "^$$label\$$"; done

# detonix against xscreensaver's maze hack on Xvfb, first frames, on a headless sway, headless speed,
# then the Google Benchmark programs (about twenty minutes; DETONIX_BENCH_SECONDS=10 for a quick look,
# DETONIX_BENCH_ONLY=wayland for the Wayland part alone).
bench: build
	scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD)-win $(BUILD)-fuzz $(BUILD)-web
