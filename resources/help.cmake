# The help document rimelacedoc.html, beside the plug-in module in every build folder with its
# pictures in rimelacedoc_files/. helpgen fills the template (help/rimelacedoc.in.html) from the
# parameter table; the Windows builds run the Linux build's helpgen, as they do lorvex_resgen.
# scripts/make-help-pictures.sh renders the pictures again.
set(help_template ${CMAKE_CURRENT_SOURCE_DIR}/help/rimelacedoc.in.html)
set(help_document ${CMAKE_BINARY_DIR}/rimelacedoc.html)
file(GLOB help_pictures CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/help/rimelacedoc_files/*.jpg)
if(WIN32)
    set(helpgen ${RIMELACE_LINUX_BUILD}/lorvex_helpgen)
    set(helpgen_depends ${helpgen})
else()
    add_executable(lorvex_helpgen help/helpgen.cpp)
    rimelace_target(lorvex_helpgen)
    target_link_libraries(lorvex_helpgen PRIVATE lorvex_params)
    set(helpgen lorvex_helpgen)
    set(helpgen_depends lorvex_helpgen)
endif()
set(help_copies)
set(copy_pictures)
foreach(picture ${help_pictures})
    get_filename_component(name ${picture} NAME)
    list(APPEND help_copies ${CMAKE_BINARY_DIR}/rimelacedoc_files/${name})
endforeach()
if(help_pictures)
    set(copy_pictures COMMAND ${CMAKE_COMMAND} -E copy_if_different ${help_pictures}
                              ${CMAKE_BINARY_DIR}/rimelacedoc_files/)
endif()
add_custom_command(OUTPUT ${help_document} ${help_copies}
    COMMAND ${helpgen} ${help_template} ${help_document}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/rimelacedoc_files
    ${copy_pictures}
    DEPENDS ${helpgen_depends} ${help_template} ${help_pictures}
    COMMENT "Writing the help document rimelacedoc.html")
add_custom_target(rimelace_help ALL DEPENDS ${help_document} ${help_copies})
