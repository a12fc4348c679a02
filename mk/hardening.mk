# Hardening: the tests whose code a sanitizer or another character type compiles
# differently, and the fuzz targets. Each build has its own folder beside build/.
#   make test-asan       under AddressSanitizer and UBSan (build-asan/)
#   make test-unsigned   with -funsigned-char, as on ARM (build-unsigned/); make test proves
#                        unsigned char on ARM itself (make test-arm) instead
#   make fuzz-test       each fuzz target over the committed corpus, then a fixed number of
#                        inputs from a fixed seed: the same inputs on every run
#   make fuzz-short      each fuzz target for FUZZ_SHORT seconds from the committed corpus,
#                        exploring at random
#   make fuzz            each fuzz target for FUZZ_TIME seconds, keeping what it finds in
#                        build-fuzz/corpus/ for the next run
# make test runs test-asan and fuzz-test: nothing random, so a commit gives the same
# verdict on every run.

# The tests that run the program's own code in-process or as its own program. The card
# tiers and the end-to-end journeys drive that same code through the file system and the
# window, which these builds compile no differently: they run once, in build/. The frame
# benchmark replaces malloc to count the heap, which AddressSanitizer must own.
HARDENING_TESTS := '^(unit|monkey|keyboard_objects|program)$$'
HARDENING_TARGETS := scrivelle scrivelle_tests scrivelle_standin scrivelle_keyboard_consumer
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Any report fails the run: leaks too (but those of mk/hardening-lsan.supp), and uses of
# the stack after a return.
SANITIZE_ENV := ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1 \
                LSAN_OPTIONS=suppressions=$(CURDIR)/mk/hardening-lsan.supp:print_suppressions=0 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

FUZZ_TARGETS := fuzz_note fuzz_dossier
FUZZ_SHORT ?= 30
FUZZ_TIME ?= 600
# make test's run: libFuzzer in one process, with a seed and a count of inputs instead of a
# time, tries the same inputs every time. The counts keep make test short (about 15 s
# each); make fuzz-short and make fuzz explore further.
FUZZ_SEED ?= 1
FUZZ_RUNS_fuzz_note ?= 30000
FUZZ_RUNS_fuzz_dossier ?= 500
# A note of 60 full lines is 15 kB; folder steps stay small.
FUZZ_ARGS_fuzz_note := -max_len=16384
FUZZ_ARGS_fuzz_dossier := -max_len=2048

.PHONY: test-asan test-unsigned fuzz-build fuzz-test fuzz-short fuzz

test-asan: test-deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS=-O1 $(SANITIZE)" \
	    -DRUN_DIR=$(CURDIR)/build-asan/run >/dev/null
	cmake --build build-asan -j$(JOBS) --target $(HARDENING_TARGETS)
	cd build-asan && $(SANITIZE_ENV) ctest -j$(JOBS) --output-on-failure -R $(HARDENING_TESTS)

test-unsigned: test-deps
	@cmake -S . -B build-unsigned "-DCMAKE_CXX_FLAGS=-funsigned-char" \
	    -DRUN_DIR=$(CURDIR)/build-unsigned/run >/dev/null
	cmake --build build-unsigned -j$(JOBS) --target $(HARDENING_TARGETS)
	cd build-unsigned && ctest -j$(JOBS) --output-on-failure -R $(HARDENING_TESTS)

fuzz-build:
	@scripts/install-deps test clang libclang-rt-14-dev
	@cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS=-O1 -fsanitize=fuzzer-no-link $(SANITIZE)" \
	    -DSCRIVELLE_FUZZ=ON -DRUN_DIR=$(CURDIR)/build-fuzz/run >/dev/null
	cmake --build build-fuzz -j$(JOBS) --target $(FUZZ_TARGETS)

# One fuzz target ($(1)) for $(2) seconds, keeping new inputs in $(3)/$(1). Its log goes to
# build-fuzz/$(1).log; the summary is shown, and the log's tail and the input on a failure.
define fuzz_run
	@mkdir -p $(3)/$(1)
	@echo "$(1): $(2) s from tests/fuzz/corpus/$(1) and $(3)/$(1)"
	@build-fuzz/$(1) -max_total_time=$(2) -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=$(CURDIR)/build-fuzz/$(1)- -dict=tests/fuzz/$(1).dict $(FUZZ_ARGS_$(1)) \
	    $(3)/$(1) tests/fuzz/corpus/$(1) >build-fuzz/$(1).log 2>&1 \
	    || { tail -n 60 build-fuzz/$(1).log; echo "$(1) FAILED: the input is in build-fuzz/$(1)-crash-* (or -leak-, -timeout-, -oom-)"; exit 1; }
	@grep -E '^(Done|stat::(number_of_executed_units|peak_rss_mb))' build-fuzz/$(1).log
endef

# One fuzz target ($(1)) from the committed corpus, replayed first (any failure stops there),
# then FUZZ_RUNS_$(1) inputs mutated from it with FUZZ_SEED. The corpus files are named on
# the command line in a sorted list, since the order libFuzzer reads them in steers what it
# tries next; nothing is written back and the corpus is not re-read during the run.
comma := ,
empty :=
space := $(empty) $(empty)
define fuzz_fixed
	@echo "$(1): the committed corpus, then $(FUZZ_RUNS_$(1)) inputs from seed $(FUZZ_SEED)"
	@build-fuzz/$(1) -seed=$(FUZZ_SEED) -runs=$(FUZZ_RUNS_$(1)) -reload=0 -timeout=60 \
	    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=$(CURDIR)/build-fuzz/$(1)- \
	    -dict=tests/fuzz/$(1).dict $(FUZZ_ARGS_$(1)) \
	    -seed_inputs=$(subst $(space),$(comma),$(sort $(wildcard tests/fuzz/corpus/$(1)/*))) \
	    >build-fuzz/$(1).log 2>&1 \
	    || { tail -n 60 build-fuzz/$(1).log; echo "$(1) FAILED: the input is in build-fuzz/$(1)-crash-* (or -leak-, -timeout-, -oom-)"; exit 1; }
	@grep -E '^(Done|stat::(number_of_executed_units|peak_rss_mb))' build-fuzz/$(1).log
endef

# The short run starts from the committed corpus alone, so that it does not slow down as
# earlier runs add inputs.
define fuzz_rules
fuzz-test-$(1): fuzz-build
	$(call fuzz_fixed,$(1))

fuzz-short-$(1): fuzz-build
	@rm -rf build-fuzz/short/$(1)
	$(call fuzz_run,$(1),$(FUZZ_SHORT),build-fuzz/short)

fuzz-long-$(1): fuzz-build
	$(call fuzz_run,$(1),$(FUZZ_TIME),build-fuzz/corpus)
endef
$(foreach t,$(FUZZ_TARGETS),$(eval $(call fuzz_rules,$(t))))

.PHONY: $(addprefix fuzz-test-,$(FUZZ_TARGETS)) $(addprefix fuzz-short-,$(FUZZ_TARGETS)) \
        $(addprefix fuzz-long-,$(FUZZ_TARGETS))
fuzz-test: $(addprefix fuzz-test-,$(FUZZ_TARGETS))
fuzz-short: $(addprefix fuzz-short-,$(FUZZ_TARGETS))
fuzz: $(addprefix fuzz-long-,$(FUZZ_TARGETS))

TEST_STEPS += test-asan fuzz-test
