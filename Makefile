# The user's entry point; CMake does the building.
#   make        build the program, the keyboard objects, the pictures and run/
#   make run    build, then start the program in run/ (notes in run/dossier/)
#   make test   build, then run every test
#   make clean  remove the build (run/dossier/ is never touched)
#   make screenshots  pictures of the main screens into docs/

BUILD := build
CMAKE_FLAGS ?=

.PHONY: all deps configure run test clean screenshots

all: configure
	cmake --build $(BUILD) -j2

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

run: all
	cd run && ../$(BUILD)/scrivelle

# Further kinds of tests (mk/*.mk) add their targets to TEST_STEPS; make test runs them
# after the main suite.
TEST_STEPS :=
-include mk/*.mk

test: all
	cd $(BUILD) && ctest --output-on-failure
	$(if $(strip $(TEST_STEPS)),$(MAKE) --no-print-directory $(TEST_STEPS))

screenshots: all
	python3 tests/e2e/screenshots.py $(BUILD) docs

clean:
	rm -rf $(BUILD) run/image run/arial.ttf
