# Render fingerprints (bench/fingerprints.cpp): hashes of many renders, compared between builds.
add_executable(fingerprints ${CMAKE_CURRENT_LIST_DIR}/fingerprints.cpp)
rimelace_target(fingerprints)
target_link_libraries(fingerprints PRIVATE trivane lorvex_generate lorvex_resources rimelace_standin)
