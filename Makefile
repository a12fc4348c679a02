# The user's entry point; CMake does the building.
#   make        build the program, the keyboard objects, the pictures and run/
#   make run    build, then start the program in run/ (notes in run/dossier/)
#   make test   build, then run every test
#   make clean  remove the build (run/dossier/ is never touched)
#   make screenshots  pictures of the main screens into docs/

BUILD := build
CMAKE_FLAGS ?=
# Builds and tests use every core.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure run test clean screenshots

all: configure
	cmake --build $(BUILD) -j$(JOBS)

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

run: all
	cd run && ../$(BUILD)/scrivelle

# Further kinds of tests (mk/*.mk) add their targets to TEST_STEPS; make test runs them
# beside the main suite, each step's output shown whole when it ends.
TEST_STEPS :=
-include mk/*.mk

test: all
	@$(MAKE) --no-print-directory -k -j$(JOBS) --output-sync=target test-main $(TEST_STEPS)

.PHONY: test-main
test-main:
	cd $(BUILD) && ctest -j$(JOBS) --output-on-failure

screenshots: all
	python3 tests/e2e/screenshots.py $(BUILD) docs

clean:
	rm -rf $(BUILD) run/image run/arial.ttf
