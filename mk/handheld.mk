# The handheld: its cross build and SD-card package, the ARM check under qemu-user, and
# the frame benchmark. docs/handheld.md and docs/performance.md tell more.
#   make gp2x      cross-compile with the handheld's toolchain into build-gp2x/, pack
#                  build-gp2x/dist/scrivelle.zip (GP2X_ROOT=..., GP2X_PREFIX=...,
#                  GP2X_SDL_CONFIG=... to override; GP2X_CMAKE_FLAGS=... for the rest)
#   make dist      the desktop build packed the same way: build/dist/scrivelle.zip
#   make test-arm  build for ARM with Debian's armel compiler and run the unit tests and the
#                  keyboard objects' test under qemu-user, where char is unsigned as on the
#                  handheld (part of make test)
#   make bench     frames per second, heap blocks and, under callgrind, instructions per frame

GP2X_BUILD ?= build-gp2x
ARM_BUILD ?= build-arm
BENCH_BUILD ?= build-bench
GP2X_ROOT ?= /opt/open2x/gcc-4.1.1-glibc-2.3.6
GP2X_PREFIX ?= arm-open2x-linux-
GP2X_SDL_CONFIG ?=
GP2X_CMAKE_FLAGS ?=
GP2X_CXX = $(GP2X_ROOT)/bin/$(GP2X_PREFIX)g++
# Cross builds draw their pictures with the host build's tool.
HOST_ASSETS_TOOL = $(abspath $(BUILD))/scrivelle_assets

.PHONY: gp2x dist test-arm bench host-tools

# The assets tool of build/ as it is configured, with or without the tests (a step of make
# test may run this beside the main suite in build/); a missing build/ is configured
# without them.
host-tools: deps
	@test -f $(BUILD)/CMakeCache.txt \
	    || cmake -S . -B $(BUILD) -DSCRIVELLE_TESTS=OFF $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) --target scrivelle_assets -j$(JOBS)

gp2x:
	@test -x "$(GP2X_CXX)" || { \
	    echo "make gp2x: the handheld toolchain is not installed: no $(GP2X_CXX)." >&2; \
	    echo "Install it there, or say where it is: make gp2x GP2X_ROOT=<folder holding bin/> GP2X_PREFIX=<tool prefix>" >&2; \
	    exit 1; }
	@$(MAKE) --no-print-directory host-tools
	cmake -S . -B $(GP2X_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-gp2x.cmake \
	    -DGP2X_ROOT="$(abspath $(GP2X_ROOT))" -DGP2X_PREFIX="$(GP2X_PREFIX)" -DCMAKE_BUILD_TYPE=Release \
	    -DSCRIVELLE_TESTS=OFF -DSCRIVELLE_HOST_ASSETS_TOOL=$(HOST_ASSETS_TOOL) \
	    -DRUN_DIR=$(abspath $(GP2X_BUILD))/run \
	    $(if $(GP2X_SDL_CONFIG),-DGP2X_SDL_CONFIG=$(abspath $(GP2X_SDL_CONFIG))) $(GP2X_CMAKE_FLAGS)
	cmake --build $(GP2X_BUILD) -j$(JOBS)
	@echo "SD-card package: $(GP2X_BUILD)/dist/scrivelle.zip (folder $(GP2X_BUILD)/dist/scrivelle/)"

dist: configure
	cmake --build $(BUILD) --target dist -j$(JOBS)
	@echo "SD-card package: $(BUILD)/dist/scrivelle.zip (folder $(BUILD)/dist/scrivelle/)"

test-arm: host-tools
	@scripts/install-deps test crossbuild-essential-armel qemu-user
	@scripts/armel-sysroot $(ARM_BUILD)/sysroot
	@cmake -S . -B $(ARM_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/toolchain-armel.cmake \
	    -DARMEL_SYSROOT=$(abspath $(ARM_BUILD))/sysroot/root \
	    -DSCRIVELLE_HOST_ASSETS_TOOL=$(HOST_ASSETS_TOOL) -DRUN_DIR=$(abspath $(ARM_BUILD))/run >/dev/null
	cmake --build $(ARM_BUILD) --target scrivelle scrivelle_tests scrivelle_keyboard_consumer -j$(JOBS)
	cd $(ARM_BUILD) && ctest -j$(JOBS) -R '^(unit|monkey|keyboard_objects)$$' --output-on-failure

bench:
	@scripts/install-deps run valgrind
	@cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSCRIVELLE_TESTS=OFF \
	    -DRUN_DIR=$(abspath $(BENCH_BUILD))/run >/dev/null
	cmake --build $(BENCH_BUILD) --target bench -j$(JOBS)

TEST_STEPS += test-arm
