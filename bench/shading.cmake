# Trivane against Mesa's llvmpipe through OSMesa, and the shading alone. bench/run.sh installs
# what they need (libosmesa6-dev) and runs them.
find_package(PkgConfig REQUIRED)
pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa)
find_package(PNG REQUIRED)

add_executable(shading_bench shading_bench.cpp scenes.cpp trivane_renderer.cpp llvmpipe_renderer.cpp)
rimelace_target(shading_bench)
target_link_libraries(shading_bench PRIVATE trivane PkgConfig::OSMESA PNG::PNG)

# The shading alone (library-private functions, so the engine's sources are built in).
file(GLOB bench_engine_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/engine/*.cpp)
list(APPEND bench_engine_sources ${PROJECT_SOURCE_DIR}/generate/portable_math.cpp)
add_executable(shading_kernel_bench shading_kernel_bench.cpp ${bench_engine_sources})
rimelace_target(shading_kernel_bench)
target_link_libraries(shading_kernel_bench PRIVATE rimelace_platform benchmark::benchmark)
