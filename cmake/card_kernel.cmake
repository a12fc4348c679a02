# The notes on the Linux kernel's own FAT driver, run as a process by user-mode Linux
# (tests/card/test_kernel.py): every state a power cut can leave after a save, a create or
# a delete, then the start-up on it. card_kernel cuts the start-up's own writes in a few
# of those states; the target card_kernel_full cuts them in every one.
if(SCRIVELLE_TESTS AND NOT CMAKE_CROSSCOMPILING)
    # The notes layer alone, linked statically: a process starts much faster in the guest
    # without shared libraries to map. The program's globals come with the two objects they
    # construct, the keyboard and the message box, neither of which calls SDL. flushes.c
    # marks each flush the card receives.
    add_executable(scrivelle_carte_seule tests/card/carte.cpp tests/card/flushes.c
        src/fs.cpp src/note_file.cpp src/catalogue.cpp src/text_buffer.cpp
        src/globals.cpp src/TMessage.cpp src/TClavier.cpp src/TTouche.cpp)
    set_target_properties(scrivelle_carte_seule PROPERTIES CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON)
    target_include_directories(scrivelle_carte_seule PRIVATE src ${SDLLIBS_INCLUDE_DIRS})
    target_link_options(scrivelle_carte_seule PRIVATE -static -Wl,--wrap=fsync,--wrap=fdatasync,--wrap=write)
    # Preloaded into the kernel: records its writes to the card images.
    add_library(ecritures MODULE tests/card/ecritures.c)
    target_link_libraries(ecritures PRIVATE ${CMAKE_DL_LIBS})

    set(CARD_KERNEL "${CMAKE_SOURCE_DIR}/tests/card/test_kernel.py")
    add_test(NAME card_kernel COMMAND ${Python3_EXECUTABLE} "${CARD_KERNEL}")
    set_tests_properties(card_kernel PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77 COST 50
        ENVIRONMENT "SCRIVELLE_BUILD=${CMAKE_BINARY_DIR}")
    # The same as card_kernel, a file's sync writing every dirty buffer of the card first, as
    # the handheld's 2.4 kernel's does.
    add_custom_target(card_kernel_24
        COMMAND ${CMAKE_COMMAND} -E env "SCRIVELLE_BUILD=${CMAKE_BINARY_DIR}" ${Python3_EXECUTABLE} "${CARD_KERNEL}" --ancien
        DEPENDS scrivelle_carte_seule ecritures
        USES_TERMINAL VERBATIM)
    add_custom_target(card_kernel_full
        COMMAND ${CMAKE_COMMAND} -E env "SCRIVELLE_BUILD=${CMAKE_BINARY_DIR}" ${Python3_EXECUTABLE} "${CARD_KERNEL}" --tout
        DEPENDS scrivelle_carte_seule ecritures
        USES_TERMINAL VERBATIM)
endif()
