# The rimelace command line (Linux only): its parts as units, and the built program end to end.
if(NOT WIN32 AND TARGET rimelace_cli_objects)
    rimelace_test(cli_image_file_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_image_file_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_image_files)
    rimelace_test(cli_units_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_host_image_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_action_file_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_param_descriptor_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_progress_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_cli_objects)
    if(TARGET rimelace AND TARGET lorvex)
        rimelace_test(cli_apply_test
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_apply_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp
                    ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
            LIBS rimelace_image_files)
        target_compile_definitions(cli_apply_test PRIVATE
            RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_MODULE="$<TARGET_FILE:lorvex>")
        add_dependencies(cli_apply_test rimelace lorvex)
    endif()
endif()

# Batches of files (apply --out-dir).
if(NOT WIN32 AND TARGET rimelace AND TARGET lorvex)
    rimelace_test(cli_batch_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_batch_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_image_files)
    target_compile_definitions(cli_batch_test PRIVATE
        RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_MODULE="$<TARGET_FILE:lorvex>")
    add_dependencies(cli_batch_test rimelace lorvex)
endif()

