# Hardening builds (mk/hardening.mk drives them, each in its own build folder).
#
# The sanitizer and unsigned-char builds are this project built with other CMAKE_CXX_FLAGS;
# the unit tests then also check that the char type they run with is the one asked for, as
# in the ARM build, whose char is unsigned as on the handheld.
# A clang build configured with -DSCRIVELLE_FUZZ=ON and -fsanitize=fuzzer-no-link in its
# flags adds the libFuzzer targets, linked with the program's own core library.

if(TARGET scrivelle_tests AND (CMAKE_CXX_FLAGS MATCHES "-funsigned-char"
                               OR CMAKE_SYSTEM_PROCESSOR STREQUAL "arm"))
    target_compile_definitions(scrivelle_tests PRIVATE SCRIVELLE_CHAR_NON_SIGNE=1)
endif()

option(SCRIVELLE_FUZZ "build the libFuzzer targets (clang only)" OFF)
if(SCRIVELLE_FUZZ)
    foreach(cible fuzz_note fuzz_dossier)
        add_executable(${cible} tests/fuzz/${cible}.cpp)
        set_target_properties(${cible} PROPERTIES CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON)
        # The harness itself is not instrumented: the fuzzer follows the program's coverage,
        # and the harness's many compares of names would only slow each input down.
        target_compile_options(${cible} PRIVATE -fsanitize=fuzzer
            -fno-sanitize-coverage=inline-8bit-counters,indirect-calls,trace-cmp,pc-table)
        target_link_options(${cible} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${cible} PRIVATE scrivelle_core)
    endforeach()
endif()
