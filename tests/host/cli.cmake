# The rimelace command line (Linux only): its parts as units, and the built program end to end.
if(NOT WIN32 AND TARGET rimelace_cli_objects)
    rimelace_test(cli_image_file_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_image_file_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_png_bands_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
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

# dialog_probe: a stand-in filter module whose dialog is always cancelled (dialog_probe/), for
# the command line's --dialog tests on every platform.
add_library(dialog_probe MODULE ${CMAKE_CURRENT_LIST_DIR}/dialog_probe/dialog_probe.cpp)
rimelace_target(dialog_probe)
if(WIN32)
    target_sources(dialog_probe PRIVATE ${CMAKE_CURRENT_LIST_DIR}/dialog_probe/dialog_probe.rc)
    set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/dialog_probe/dialog_probe.rc PROPERTIES
        OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/resources/lorvex_pipl.bin)
    target_include_directories(dialog_probe PRIVATE ${CMAKE_BINARY_DIR}/resources)
    set_target_properties(dialog_probe PROPERTIES PREFIX "" SUFFIX ".8bf")
    add_dependencies(dialog_probe lorvex_resources)
endif()

# apply --dialog, with the dialog probe module (Linux; the Windows build's run from
# cli_windows_test).
if(NOT WIN32 AND TARGET rimelace AND TARGET lorvex AND TARGET dialog_probe)
    rimelace_test(cli_dialog_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_dialog_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_image_files)
    target_compile_definitions(cli_dialog_test PRIVATE RIMELACE_CLI="$<TARGET_FILE:rimelace>"
        RIMELACE_MODULE="$<TARGET_FILE:lorvex>" RIMELACE_DIALOG_PROBE="$<TARGET_FILE:dialog_probe>")
    add_dependencies(cli_dialog_test rimelace lorvex dialog_probe)
endif()

# The Windows builds' rimelace.exe under Wine against this build's rimelace: a Linux program,
# built here and registered as a test by each Windows build (the 32-bit one runs its smoke test
# only: every program start there takes about a minute).
if(NOT WIN32 AND TARGET rimelace AND TARGET lorvex)
    add_executable(cli_windows_test ${CMAKE_CURRENT_LIST_DIR}/cli_windows_test.cpp
        ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp)
    rimelace_target(cli_windows_test)
    target_link_libraries(cli_windows_test PRIVATE rimelace_image_files GTest::gtest_main)
    target_compile_definitions(cli_windows_test PRIVATE RIMELACE_CLI="$<TARGET_FILE:rimelace>"
        RIMELACE_MODULE="$<TARGET_FILE:lorvex>" RIMELACE_WINE_RUN="${PROJECT_SOURCE_DIR}/scripts/wine-run.sh")
    add_dependencies(cli_windows_test rimelace lorvex)
endif()
if(WIN32 AND TARGET rimelace AND EXISTS ${RIMELACE_LINUX_BUILD}/cli_windows_test)
    # In two parts that run side by side: the file formats and messages, and the rest.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(windows_cli_parts cli_windows_test "*:-*Formats*:*BadInput*" cli_windows_files_test "*Formats*:*BadInput*")
    else()
        set(windows_cli_parts cli_windows_test "CliWindowsSmoke.*")
    endif()
    while(windows_cli_parts)
        list(POP_FRONT windows_cli_parts name filter)
        add_test(NAME ${name}
            COMMAND ${RIMELACE_LINUX_BUILD}/cli_windows_test --gtest_color=no --gtest_filter=${filter})
        set_tests_properties(${name} PROPERTIES TIMEOUT 900 ENVIRONMENT "RIMELACE_WINDOWS_BUILD=${CMAKE_BINARY_DIR}")
    endwhile()
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

# The outputs' checks and clean-up, and the selection image (Linux only).
if(NOT WIN32 AND TARGET rimelace AND TARGET lorvex)
    rimelace_test(cli_outputs_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_outputs_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_selection_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_image_files)
    target_compile_definitions(cli_outputs_test PRIVATE
        RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_MODULE="$<TARGET_FILE:lorvex>")
    add_dependencies(cli_outputs_test rimelace lorvex)
endif()
