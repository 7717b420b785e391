# The GIMP plug-in in GIMP's batch mode, on a photograph that Debian's scikit-image ships.
set(rimelace_test_photo /usr/lib/python3/dist-packages/skimage/data/chelsea.png)
if(NOT WIN32 AND TARGET rimelace_gimp AND EXISTS ${rimelace_test_photo})
    rimelace_test(gimp_batch_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/gimp_batch_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cli_test_images.cpp
        LIBS rimelace_image_files lorvex_params)
    target_compile_definitions(gimp_batch_test PRIVATE
        RIMELACE_CLI="$<TARGET_FILE:rimelace>" RIMELACE_MODULE="$<TARGET_FILE:lorvex>"
        RIMELACE_TRIVANE="$<TARGET_FILE:trivane>" RIMELACE_GIMP_PLUGIN="$<TARGET_FILE:rimelace_gimp>"
        RIMELACE_TEST_PHOTO="${rimelace_test_photo}")
    add_dependencies(gimp_batch_test rimelace lorvex rimelace_gimp)
    set_tests_properties(gimp_batch_test PROPERTIES TIMEOUT 600)
endif()
