# The command line's files against the render (bench/cli_bench.cpp).
if(TARGET rimelace_cli_objects AND TARGET rimelace)
    add_executable(cli_bench ${CMAKE_CURRENT_LIST_DIR}/cli_bench.cpp)
    rimelace_target(cli_bench)
    target_link_libraries(cli_bench PRIVATE rimelace_cli_objects)
    target_compile_definitions(cli_bench PRIVATE
        RIMELACE_SAMPLE_PICTURE="${PROJECT_SOURCE_DIR}/host/cli/demo/demo_picture.jpg")
    add_dependencies(cli_bench rimelace lorvex)
endif()
