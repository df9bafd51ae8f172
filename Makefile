# Fendra: build, run and test.
#   make run        install what is missing, build, build the reference
#                   databases into build/data when a source under data/ (or
#                   the builder) is newer than them, start Fendra there
#   make data       only the databases
#   make test       install, build, run every test; then the engine's and
#                   tools' tests again under AddressSanitizer and UBSan
#   make test-asan  only the sanitizer run
#   make bench      build and run the benchmarks (build/bench/bench_<area>);
#                   fails when a benchmark fails
#   make fuzz       build the libFuzzer targets with clang and run each for
#                   FUZZ_SECONDS seconds (default 60)
JOBS   ?= $(shell nproc)
BUILD  := build
ASAN   := build/asan
FUZZ   := build/fuzz
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
# ccache speeds up repeated local builds; a clean clone gains nothing from it.
LAUNCHER := $(shell command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all deps configure build data run test test-release test-asan bench fuzz clean FORCE

all: build

# Installing packages is recorded in a stamp, so every configure step waits
# for it and `make -j` never configures before the packages are there.
DEPS_STAMP := $(BUILD)/.deps-installed
$(DEPS_STAMP): scripts/install-deps
	@scripts/install-deps
	@mkdir -p $(BUILD) && touch $@

deps: $(DEPS_STAMP)

$(BUILD)/CMakeCache.txt: | $(DEPS_STAMP)
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release $(LAUNCHER) $(CMAKE_FLAGS)

configure: $(DEPS_STAMP) $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The reference databases: rebuilt when a source or the builder is newer
# than the stamp, or when one of the eight files is missing. The builder
# writes the whole set or nothing, so a refused build keeps the old one.
FENDRA_DATA  := $(BUILD)/tools/refdata/fendra-data
DATA_SOURCES := $(shell find data -type f 2>/dev/null)
DATA_FILES   := $(addprefix $(BUILD)/data/,dbGrundlg.dvx dbBaum.dvx dbIndList.dvx dbHomTab.dvx dbEmerg.dvx \
                  dbKindInd.dvx dbKindKM.dvx dbVerweise.dvx)
DATA_STAMP   := $(BUILD)/data/.fendra-data-built
DATA_MISSING := $(filter-out $(wildcard $(DATA_FILES)),$(DATA_FILES))

$(DATA_STAMP): $(DATA_SOURCES) $(wildcard $(FENDRA_DATA)) $(if $(DATA_MISSING),FORCE) | build
	$(FENDRA_DATA) build data $(BUILD)/data
	@touch $@

FORCE:

data: $(DATA_STAMP)

run: build $(DATA_STAMP)
	@scripts/run-fendra $(BUILD)

# The release run and the sanitizer run one after the other: on a small
# machine two builds at once only slow each other down.
test:
	$(MAKE) test-release
	$(MAKE) test-asan

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 600

$(ASAN)/CMakeCache.txt: | $(DEPS_STAMP)
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Sanitize -DFENDRA_SANITIZE=ON \
	  -DFENDRA_BUILD_APP=OFF -DFENDRA_BUILD_BENCH=OFF $(LAUNCHER) $(CMAKE_FLAGS)

test-asan: $(DEPS_STAMP) $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS) --timeout 900

bench: build
	@set -e; for b in $(BUILD)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; "$$b"; done

$(FUZZ)/CMakeCache.txt: | $(DEPS_STAMP)
	cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Sanitize -DFENDRA_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++-14 $(LAUNCHER) $(CMAKE_FLAGS)

# Each target runs on a copy of its seed corpus, so what it finds stays in
# the build folder; a crash stops the run and leaves its input there.
fuzz: $(DEPS_STAMP) $(FUZZ)/CMakeCache.txt
	cmake --build $(FUZZ) -j $(JOBS)
	@set -e; for f in $(FUZZ)/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; name=$${f##*/fuzz_}; \
	  mkdir -p $(FUZZ)/corpus/$$name $(FUZZ)/crashes/$$name; \
	  cp -n fuzz/corpus/$$name/* $(FUZZ)/fuzz/corpus/$$name/* $(FUZZ)/corpus/$$name/ 2>/dev/null || true; \
	  echo "== fuzz_$$name for $(FUZZ_SECONDS) s"; \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -artifact_prefix=$(FUZZ)/crashes/$$name/ $(FUZZ)/corpus/$$name; \
	done

clean:
	rm -rf $(BUILD)
