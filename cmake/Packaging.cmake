# Installation and the Debian package (Linux): the command line, the plug-in module and its
# renderer, the GIMP plug-in, the shipped presets, the help document and the manual page.
#
#   <prefix>/bin/rimelace
#   <prefix>/lib/rimelace/liblorvex.so, libtrivane.so
#   <prefix>/lib/gimp/2.0/plug-ins/rimelace-gimp/rimelace-gimp      (GIMP's own folder on Debian)
#   <prefix>/share/rimelace/RimelaceSaves/*.ipt
#   <prefix>/share/doc/rimelace/rimelacedoc.html
#   <prefix>/share/man/man1/rimelace.1.gz
#
# Every program finds the others relative to its own place, so the tree works under any prefix
# (and unpacked into a scratch root). `cpack -G DEB` in the build folder makes rimelace_*.deb.

install(TARGETS rimelace RUNTIME DESTINATION bin)
install(TARGETS lorvex LIBRARY DESTINATION lib/rimelace)
install(TARGETS trivane LIBRARY DESTINATION lib/rimelace)
if(TARGET rimelace_gimp)
    install(TARGETS rimelace_gimp RUNTIME DESTINATION lib/gimp/2.0/plug-ins/rimelace-gimp)
endif()

# The preset library, wherever it is kept in the tree.
file(GLOB_RECURSE rimelace_tree_presets CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/*.ipt)
list(FILTER rimelace_tree_presets INCLUDE REGEX "/RimelaceSaves/[^/]*$")
list(FILTER rimelace_tree_presets EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/(build|out)/")
install(DIRECTORY DESTINATION share/rimelace/RimelaceSaves)
install(FILES ${rimelace_tree_presets} DESTINATION share/rimelace/RimelaceSaves)
# The help document is written into the build folder from its template (resources/help.cmake).
install(FILES ${CMAKE_BINARY_DIR}/rimelacedoc.html DESTINATION share/doc/rimelace)
install(DIRECTORY ${CMAKE_BINARY_DIR}/rimelacedoc_files DESTINATION share/doc/rimelace)

# The manual page, from the program's own help texts.
find_program(RIMELACE_HELP2MAN help2man)
if(RIMELACE_HELP2MAN)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/rimelace.1.gz
        COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/make-manpage.sh $<TARGET_FILE:rimelace> ${CMAKE_BINARY_DIR}/rimelace.1
        COMMAND gzip -9 -n -f ${CMAKE_BINARY_DIR}/rimelace.1
        DEPENDS rimelace ${PROJECT_SOURCE_DIR}/scripts/make-manpage.sh
        COMMENT "Manual page of rimelace")
    add_custom_target(rimelace_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/rimelace.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/rimelace.1.gz DESTINATION share/man/man1)
else()
    message(STATUS "help2man not found: no manual page")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rimelace)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Rimelace")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "frost-pattern image filter: command line and GIMP plug-in")
set(CPACK_PACKAGE_DESCRIPTION "Grows branching, frost-like crystal patterns of thin 3D triangles along the image \
borders, the outline of a selection or from one point, and renders them over the image. Contains the rimelace \
command line (single files and batches), the plug-in module with its renderer, the GIMP 2.10 plug-in \
(Filters > Decor > Rimelace...) and the shipped presets.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Rimelace team <team@rimelace.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps looks for our own libraries among the package's files.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gimp)
set(CPACK_STRIP_FILES ON)
include(CPack)
