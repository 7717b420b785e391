# The shipped preset library (resources/RimelaceSaves), `apply --preset NAME` and `gallery --presets`.
if(NOT WIN32 AND TARGET rimelace AND TARGET lorvex)
    rimelace_test(cli_shipped_presets_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_shipped_presets_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_cli_objects)
    target_compile_definitions(cli_shipped_presets_test PRIVATE
        RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        RIMELACE_BUILD_DIR="${CMAKE_BINARY_DIR}")
    add_dependencies(cli_shipped_presets_test rimelace lorvex rimelace_saves)
endif()
