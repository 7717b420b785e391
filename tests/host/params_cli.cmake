# The parameter commands of the rimelace command line (preset write/show, params, info) and the
# shared --set parsing.
if(NOT WIN32 AND TARGET rimelace_cli_objects)
    rimelace_test(cli_set_option_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_set_option_test.cpp
        LIBS rimelace_cli_objects)
    if(TARGET rimelace AND TARGET lorvex)
        rimelace_test(cli_params_commands_test
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/cli_params_commands_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_run.cpp
            LIBS lorvex_params)
        # The Windows modules are checked when the Windows builds sit beside this one.
        get_filename_component(builds ${CMAKE_BINARY_DIR} DIRECTORY)
        target_compile_definitions(cli_params_commands_test PRIVATE
            RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_MODULE="$<TARGET_FILE:lorvex>"
            RIMELACE_WIN64_MODULE="${builds}/win64/Lorvex.8bf" RIMELACE_WIN32_MODULE="${builds}/win32/Lorvex.8bf")
        add_dependencies(cli_params_commands_test rimelace lorvex)
    endif()
endif()
