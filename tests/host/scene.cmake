# The command line's scene commands (gallery, --export-geometry) end to end (Linux only).
if(NOT WIN32 AND TARGET rimelace AND TARGET lorvex)
    rimelace_test(cli_scene_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_scene_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_image_files)
    target_compile_definitions(cli_scene_test PRIVATE
        RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_MODULE="$<TARGET_FILE:lorvex>")
    add_dependencies(cli_scene_test rimelace lorvex)
endif()
