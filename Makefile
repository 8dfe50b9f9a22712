# Thin wrapper around CMake. `make run` and `make test` set everything up first.
BUILD      ?= build
BUILD_SAN  ?= build-san
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_OPTS ?=

.PHONY: all setup build run test test-plain test-sanitize test-shells bench clean

all: build

setup:
	@scripts/bootstrap.sh

$(BUILD)/CMakeCache.txt: | setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_OPTS)

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

test: test-plain test-sanitize test-shells

# Each shell brings a script of its own (scripts/test-<shell>.sh) for what needs a display or Wine.
test-shells: build
	@for s in scripts/test-*.sh; do [ -x "$$s" ] || continue; echo "== $$s"; "$$s" || exit 1; done

test-plain: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: setup
	cmake -S . -B $(BUILD_SAN) -DCMAKE_BUILD_TYPE=Debug -DDETONIX_SANITIZE=ON -DDETONIX_BENCH=OFF $(CMAKE_OPTS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_SAN) -j $(JOBS) --output-on-failure

bench: build
	./$(BUILD)/detonix-bench

clean:
	rm -rf $(BUILD) $(BUILD_SAN)
