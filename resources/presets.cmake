# The shipped preset library (RimelaceSaves/, written by scripts/make-presets.sh) beside the plug-in
# module in the build folder, as the packages install it: the dialogs open it, `rimelace apply
# --preset NAME` and `rimelace gallery --presets` find it there. Copied afresh whenever a preset
# changes, so a renamed preset leaves no stale copy behind.
file(GLOB shipped_presets CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/RimelaceSaves/*.ipt)
set(saves_folder ${CMAKE_BINARY_DIR}/RimelaceSaves)
set(saves_stamp ${CMAKE_CURRENT_BINARY_DIR}/rimelace_saves.stamp)
add_custom_command(OUTPUT ${saves_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${saves_folder}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${saves_folder}
    COMMAND ${CMAKE_COMMAND} -E copy ${shipped_presets} ${saves_folder}/
    COMMAND ${CMAKE_COMMAND} -E touch ${saves_stamp}
    DEPENDS ${shipped_presets}
    COMMENT "Copying the shipped presets beside the module"
    VERBATIM)
add_custom_target(rimelace_saves ALL DEPENDS ${saves_stamp})
