# Fendra: build, run and test.
#   make run        install what is missing, build, start Fendra in build/data
#                   (where the reference databases are to be built)
#   make test       install, build, run every test; then the engine's and
#                   tools' tests again under AddressSanitizer and UBSan
#   make test-asan  only the sanitizer run
#   make bench      build and run the benchmarks (build/bench/bench_<area>)
JOBS   ?= $(shell nproc)
BUILD  := build
ASAN   := build/asan
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-release test-asan bench clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-fendra $(BUILD)

test: test-release test-asan

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 600

$(ASAN)/CMakeCache.txt:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENDRA_SANITIZE=ON \
	  -DFENDRA_BUILD_APP=OFF -DFENDRA_BUILD_BENCH=OFF $(CMAKE_FLAGS)

test-asan: deps $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS) --timeout 900

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && echo "== $$b" && "$$b"; done; true

clean:
	rm -rf $(BUILD)
