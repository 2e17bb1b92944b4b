# Tulvo: the two commands are `make run` and `make test`; see README.md.
BUILD_DIR := build/cmake
ASAN_DIR  := build/asan
FUZZ_DIR  := build/fuzz
APP_DIR   := build/app
DATA_DIR  := $(APP_DIR)/data
NPM_CACHE := build/npm
DATABUILD := $(BUILD_DIR)/tools/databuild/databuild
JOBS      ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

# A data file whose build or check failed is removed, so the next run builds
# it again instead of taking it as made.
.DELETE_ON_ERROR:

.PHONY: all deps configure build data data-files run test test-asan format-check test-fuzz fuzz fuzz-build fuzz-seeds bench format clean install package mutate check-package
# `make install DESTDIR=... PREFIX=/usr`; see packaging/.
PREFIX ?= /usr/local
all: data

deps:
	@sh tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

DATA_FILES :=
include tools/databuild/sources.mk
include $(filter-out tools/databuild/sources.mk,$(wildcard tools/databuild/*.mk))

# databuild is made by `build`; data files are remade when it changes.
$(DATABUILD): ;

data: build
	@$(MAKE) --no-print-directory data-files

data-files: $(DATA_FILES)

# Starts Tulvo in its program directory. Without a display it runs on a
# virtual one, so that the command works on a headless machine too.
run: data
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then cd $(APP_DIR) && ./Tulvo; \
	else echo "No display: starting Tulvo on a virtual X display (xvfb-run); set DISPLAY to see the window."; \
	    cd $(APP_DIR) && xvfb-run -a ./Tulvo; fi

test: data
	@$(MAKE) --no-print-directory format-check
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory test-fuzz

# Plants each fault of tools/mutants.txt in turn, rebuilds, runs the tests
# meant to catch it and prints a table of caught and missed faults. Not part
# of `make test`. MUTANTS=name-pattern... for some only.
mutate: data
	@python3 tools/mutate.py --build-dir $(BUILD_DIR) --jobs $(JOBS) $(MUTANTS)

install: data
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package, in build/cmake/package/.
package: data
	cd $(BUILD_DIR) && cpack -G DEB

# The package checked as Debian would: lintian --pedantic, then installed,
# used and purged in a fresh Debian 12 root made with mmdebstrap. Needs root
# (or sudo) and the Debian archive; takes minutes, so not part of `make test`.
check-package: package
	@sh tools/check-package.sh

# The logic, widget and end-to-end tests again, in a build of everything under
# the address and undefined-behaviour sanitizers. Its program directory takes
# the data files of `make data` as links.
test-asan: data
	@cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DTULVO_SANITIZE=ON -DTULVO_LOGIC_ONLY=OFF -DTULVO_BENCH=OFF -DTULVO_APP_DIR=$(CURDIR)/$(ASAN_DIR)/app >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@for f in $(CURDIR)/$(DATA_DIR)/*; do \
	    [ -e "$(ASAN_DIR)/app/data/$${f##*/}" ] || ln -s "$$f" "$(ASAN_DIR)/app/data/"; done
	cd $(ASAN_DIR) && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/support/lsan.supp \
	    ctest --output-on-failure -j $(JOBS) -L 'logic|widgets|e2e'

# The fuzz targets (tests/fuzz) in their own clang build with libFuzzer and
# the address and undefined-behaviour sanitizers.
FUZZ_SECONDS ?= 60
FUZZ_TEST_SECONDS ?= 10
fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTULVO_FUZZ=ON -DTULVO_APP_DIR=$(CURDIR)/$(FUZZ_DIR)/app >/dev/null
	@cmake --build $(FUZZ_DIR) --target fuzz_targets fuzz_seeds -j $(JOBS)

# Every target for FUZZ_SECONDS (FUZZ_TARGETS= for some only), with a table
# of executions, coverage and findings.
fuzz: fuzz-build
	@sh tools/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# In `make test`: each target over its corpus, then fresh inputs for
# FUZZ_TEST_SECONDS.
test-fuzz: fuzz-build
	@sh tools/fuzz.sh $(FUZZ_DIR) $(FUZZ_TEST_SECONDS)

# Rewrites the seed corpora in tests/fuzz/corpus from the project's writers.
fuzz-seeds: fuzz-build
	@$(FUZZ_DIR)/tests/fuzz/fuzz_seeds tests/fuzz/corpus

# Every benchmark in bench/, run in the program directory on the real data.
bench: data
	@set -e; for b in $(CURDIR)/$(BUILD_DIR)/bench/*_bench; do \
	    echo "== $$(basename $$b)"; (cd $(APP_DIR) && $$b); done

format:
	@git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

# Part of `make test`: every source as the project's .clang-format lays it out.
format-check: deps
	@git ls-files '*.cpp' '*.hpp' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
