# The Debian package: made from this build, unpacked into a scratch root, run from there (Linux).
find_program(rimelace_dpkg_deb dpkg-deb)
if(NOT WIN32 AND TARGET rimelace AND TARGET rimelace_gimp AND TARGET rimelace_manpage AND rimelace_dpkg_deb)
    add_test(NAME package_test COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/test-package.sh ${CMAKE_BINARY_DIR})
    set_tests_properties(package_test PROPERTIES TIMEOUT 600)
endif()
