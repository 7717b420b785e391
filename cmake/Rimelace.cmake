# Settings every target of the project shares: the language standard, warnings,
# floating-point reproducibility, and the optional sanitizers.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

# Compiler cache: checkouts of the tree in different folders share one cache, since paths inside
# the tree are hashed relative to it.
option(RIMELACE_CCACHE "Compile through ccache when it is installed" ON)
find_program(RIMELACE_CCACHE_PROGRAM ccache)
if(RIMELACE_CCACHE AND RIMELACE_CCACHE_PROGRAM)
    set(rimelace_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
        CCACHE_NOHASHDIR=1 ${RIMELACE_CCACHE_PROGRAM})
    set(CMAKE_C_COMPILER_LAUNCHER ${rimelace_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${rimelace_launcher})
endif()

# The three builds must compute alike: no fused multiply-add, SSE maths on i686.
add_compile_options(-ffp-contract=off)
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(-msse2 -mfpmath=sse)
endif()

if(WIN32)
    # No side DLLs from the compiler: hosts do not search the plug-in's folder.
    add_link_options(-static-libgcc -static-libstdc++ -static)
endif()

# Sanitizers of the RIMELACE_SANITIZE build (scripts/build.sh asan): addresses and undefined
# behaviour, including float-to-integer conversions out of range (not part of GCC's "undefined"),
# every finding fatal.
set(RIMELACE_SANITIZER_FLAGS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)

# rimelace_target(<target>): warnings and sanitizers for one of our own targets.
function(rimelace_target target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    if(RIMELACE_SANITIZE AND NOT WIN32)
        target_compile_options(${target} PRIVATE ${RIMELACE_SANITIZER_FLAGS} -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE ${RIMELACE_SANITIZER_FLAGS})
    endif()
endfunction()

# The fuzzing build (RIMELACE_FUZZ, scripts/fuzz.sh): Debian's clang, every object instrumented for
# libFuzzer's coverage and for the address and undefined-behaviour sanitizers, findings fatal.
macro(rimelace_fuzz_setup)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR WIN32)
        message(FATAL_ERROR "RIMELACE_FUZZ needs clang on Linux (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -gline-tables-only)
    add_link_options(-fsanitize=address,undefined)
    add_custom_target(fuzzers)
endmacro()

# rimelace_add_fuzzer(<name> [SOURCES ...] [LIBS ...]): the libFuzzer harness
# tests/fuzz/<name>_fuzz.cpp (with SOURCES, linked with LIBS), built as <name>_fuzz; its seed corpus
# lives in tests/fuzz/corpus/<name>/ and scripts/fuzz.sh runs it.
function(rimelace_add_fuzzer name)
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name}_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/${name}_fuzz.cpp ${F_SOURCES})
    rimelace_target(${name}_fuzz)
    target_link_libraries(${name}_fuzz PRIVATE ${F_LIBS})
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name}_fuzz)
endfunction()

# GoogleTest: Debian's package on Linux; built from Debian's source copy for the Windows builds.
macro(rimelace_find_gtest)
    if(WIN32)
        set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
        set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
        set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
        add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
        foreach(lib gtest gtest_main gmock)
            if(NOT TARGET GTest::${lib})
                add_library(GTest::${lib} ALIAS ${lib})
            endif()
        endforeach()
    else()
        find_package(GTest REQUIRED)
    endif()
    include(GoogleTest)
endmacro()

# rimelace_test(<name> SOURCES ... LIBS ...): one test program, run by CTest
# (under Wine in the Windows builds, through CMAKE_CROSSCOMPILING_EMULATOR).
function(rimelace_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    rimelace_target(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# rimelace_folder_library(<name> <STATIC|OBJECT> [DEPS libs...]): a library of every .cpp file in
# the calling folder (files ending in _win32.cpp only on Windows, _posix.cpp only elsewhere). A
# folder with no sources yet gives an INTERFACE library, so other targets can link it already.
function(rimelace_folder_library name kind)
    cmake_parse_arguments(L "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(WIN32)
        list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
    else()
        list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    if(sources)
        add_library(${name} ${kind} ${sources})
        rimelace_target(${name})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC rimelace_platform ${L_DEPS})
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE rimelace_platform ${L_DEPS})
    endif()
endfunction()
