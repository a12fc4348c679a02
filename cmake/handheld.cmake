# The handheld: the menu icon, the SD-card folder and its zip (target dist), and the frame
# benchmark (target bench). Included at the end of CMakeLists.txt, in host and cross builds.

# ---- The launcher's icon, drawn by the assets tool ----
set(MENU_ICON "${ASSETS_DIR}/scrivelle.png")
add_custom_command(OUTPUT "${MENU_ICON}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${ASSETS_DIR}"
    COMMAND scrivelle_assets --icon "${MENU_ICON}"
    DEPENDS scrivelle_assets
    COMMENT "Drawing the menu icon"
    VERBATIM)

# ---- The SD-card folder dist/scrivelle/ and dist/scrivelle.zip ----
# The folder is laid out anew each time, so nothing stale travels in the zip; dossier/
# goes in empty. In a desktop build the program is the desktop one, so the layout is
# checked here as it will be on the card.
set(DIST_DIR "${CMAKE_BINARY_DIR}/dist")
set(CARD "${DIST_DIR}/scrivelle")
set(DIST_ZIP "${DIST_DIR}/scrivelle.zip")
add_custom_command(OUTPUT "${DIST_ZIP}"
    COMMAND ${CMAKE_COMMAND} -E rm -rf "${CARD}" "${DIST_ZIP}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${CARD}/image" "${CARD}/dossier"
    COMMAND ${CMAKE_COMMAND} -E copy "$<TARGET_FILE:scrivelle>" "${CARD}/scrivelle.gpe"
    COMMAND ${CMAKE_COMMAND} -E copy "${MENU_ICON}" "${CARD}/scrivelle.png"
    COMMAND ${CMAKE_COMMAND} -E copy "${ASSETS_DIR}/arial.ttf" "${CARD}/arial.ttf"
    COMMAND ${CMAKE_COMMAND} -E copy ${PICTURE_FILES} "${CARD}/image/"
    COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_SOURCE_DIR}/cmake/card-readme.txt" "${CARD}/readme.txt"
    COMMAND ${CMAKE_COMMAND} -E chdir "${DIST_DIR}"
            ${CMAKE_COMMAND} -E tar cf "${DIST_ZIP}" --format=zip scrivelle
    DEPENDS scrivelle "${MENU_ICON}" "${ASSETS_DIR}/arial.ttf" ${PICTURE_FILES}
            "${CMAKE_SOURCE_DIR}/cmake/card-readme.txt"
    COMMENT "Packing the SD-card folder ${DIST_ZIP}"
    VERBATIM)
add_custom_target(dist ALL DEPENDS "${DIST_ZIP}")

# ---- The frame benchmark ----
# Host only: it measures what the handheld's frame costs in instructions, on this machine.
# Not in sanitizer builds: their figures mean nothing, and the benchmark's own malloc,
# which counts the heap blocks, would stand in the sanitizer's way.
set(SCRIVELLE_BENCH ON)
if(CMAKE_CROSSCOMPILING OR CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    set(SCRIVELLE_BENCH OFF)
endif()
if(SCRIVELLE_BENCH)
    add_executable(scrivelle_bench bench/bench.cpp)
    set_target_properties(scrivelle_bench PROPERTIES CXX_STANDARD 17 CXX_STANDARD_REQUIRED ON)
    target_link_libraries(scrivelle_bench PRIVATE scrivelle_core)
    add_custom_target(bench
        COMMAND scrivelle_bench "${ASSETS_DIR}"
        DEPENDS scrivelle_bench ${PICTURE_FILES} "${ASSETS_DIR}/arial.ttf"
        USES_TERMINAL
        VERBATIM)
endif()

# ---- Checks of the above, run with the other tests ----
if(SCRIVELLE_TESTS AND SCRIVELLE_BENCH)
    add_test(NAME bench_smoke COMMAND scrivelle_bench "${ASSETS_DIR}" --smoke)
endif()
if(SCRIVELLE_TESTS AND NOT CMAKE_CROSSCOMPILING)
    add_test(NAME handheld
        COMMAND ${Python3_EXECUTABLE} -m unittest discover -s "${CMAKE_SOURCE_DIR}/tests/handheld"
                -p "test_*.py" -v)
    set_tests_properties(handheld PROPERTIES ENVIRONMENT
        "SCRIVELLE_SOURCE=${CMAKE_SOURCE_DIR};SCRIVELLE_BUILD=${CMAKE_BINARY_DIR};SCRIVELLE_ASSETS=${ASSETS_DIR}")
endif()
