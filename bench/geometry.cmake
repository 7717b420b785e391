# Growth, base paths and mask tracing (included from bench/CMakeLists.txt).
find_package(benchmark REQUIRED)
add_executable(geometry_bench ${CMAKE_CURRENT_LIST_DIR}/geometry_bench.cpp)
rimelace_target(geometry_bench)
target_link_libraries(geometry_bench PRIVATE lorvex_generate lorvex_geometry lorvex_params benchmark::benchmark
                      benchmark::benchmark_main)
