# Scene benchmarks (bench/scene_bench.cpp): preview grow + render per effect, material-only
# re-render, and final renders of a 6000 x 4000 image through the stand-in host.
find_package(benchmark REQUIRED)
add_executable(scene_bench ${CMAKE_CURRENT_LIST_DIR}/scene_bench.cpp)
rimelace_target(scene_bench)
target_link_libraries(scene_bench PRIVATE lorvex_generate lorvex_plugin lorvex_resources rimelace_standin
                                          benchmark::benchmark)
target_compile_definitions(scene_bench PRIVATE LORVEX_MODULE_PATH="$<TARGET_FILE:lorvex>")
add_dependencies(scene_bench lorvex)
