# Reading modules from their files (every platform: the Windows builds read their own PE files).
rimelace_test(modinfo_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/modinfo_test.cpp LIBS rimelace_modinfo rimelace_platform)
