# The stand-in host's own pieces (the lifecycle through the real module is in tests/plugin).
rimelace_test(standin_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/standin_test.cpp ${CMAKE_CURRENT_LIST_DIR}/pixels_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/descriptors_test.cpp
    LIBS rimelace_standin)
