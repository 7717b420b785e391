# The main dialog's speed (bench/dialog_bench.cpp): a Windows program, built with the Windows
# builds' tests whose stand-in host session it shares; not run by the test command.
if(WIN32 AND TARGET rimelace_standin AND TARGET lorvex_controls)
    add_executable(dialog_bench ${CMAKE_CURRENT_LIST_DIR}/dialog_bench.cpp
        ${PROJECT_SOURCE_DIR}/tests/ui/dialog/dialog_session.cpp ${PROJECT_SOURCE_DIR}/tests/ui/controls/window_driver.cpp)
    rimelace_target(dialog_bench)
    target_link_libraries(dialog_bench PRIVATE rimelace_standin lorvex_params lorvex_controls lorvex_dialog_math)
    target_compile_definitions(dialog_bench PRIVATE LORVEX_MODULE_PATH="$<TARGET_FILE_NAME:lorvex>"
        RIMELACE_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/generate/data")
    add_dependencies(dialog_bench lorvex)
endif()
