rimelace_test(standin_test SOURCES standin_test.cpp pixels_test.cpp descriptors_test.cpp LIBS rimelace_standin)
