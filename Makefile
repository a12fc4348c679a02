# The user's entry point; CMake does the building.
#   make        install what building and running need, build the program (with the
#               keyboard objects), its pictures and run/
#   make run    that, then start the program in run/ (notes in run/dossier/)
#   make test   install what the tests need too, build everything, then run every test
#   make clean  remove the build (run/dossier/ is never touched)
#   make screenshots  pictures of the main screens into docs/
# make and make run configure build/ without the tests, make test with them; each
# configures it anew, so either may follow the other in the same folder.

BUILD := build
CMAKE_FLAGS ?=
# Builds and tests use every core.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure run test-deps test-build test clean screenshots

all: configure
	cmake --build $(BUILD) -j$(JOBS) --target scrivelle run_dir

deps:
	@scripts/install-deps run

configure: deps
	@cmake -S . -B $(BUILD) -DSCRIVELLE_TESTS=OFF $(CMAKE_FLAGS) >/dev/null

run: all
	cd run && ../$(BUILD)/scrivelle

test-deps:
	@scripts/install-deps test

test-build: test-deps
	@cmake -S . -B $(BUILD) -DSCRIVELLE_TESTS=ON $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

# Further kinds of tests (mk/*.mk) add their targets to TEST_STEPS; make test runs them
# beside the main suite, each step's output shown whole when it ends.
TEST_STEPS :=
-include mk/*.mk

# All steps at once: each builds or waits in turn, so together they keep every core busy to
# the end, where two at a time left one core idle behind the last.
test: test-build
	@$(MAKE) --no-print-directory -k -j$(words test-main $(TEST_STEPS)) --output-sync=target test-main $(TEST_STEPS)

.PHONY: test-main
test-main:
	cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

screenshots: test-build
	python3 tests/e2e/screenshots.py $(BUILD) docs

clean:
	rm -rf $(BUILD) run/image run/arial.ttf
