# The line and curved-patch modes against mode 6 (included from bench/CMakeLists.txt).
find_package(benchmark REQUIRED)
add_executable(lines_bench ${CMAKE_CURRENT_LIST_DIR}/lines_bench.cpp)
rimelace_target(lines_bench)
target_link_libraries(lines_bench PRIVATE trivane benchmark::benchmark)
