# Puts the user manual together in DEST: Index.html and help.css from HELP_SOURCE, and in
# DEST/images the pictures the manual shows:
#   - the copies in HELP_SOURCE/images (what the manual shows when read in the tree);
#   - over them, the wallpapers orvanta_manual_pictures drew into PICTURES with this
#     build's program;
#   - over those, the settings sheet's pages as the Windows driver photographed them in
#     SCREENS, when a test run left newer ones there.
# Run as: cmake -DHELP_SOURCE=... -DPICTURES=... -DSCREENS=... -DDEST=... -P StageHelp.cmake
foreach(var HELP_SOURCE PICTURES SCREENS DEST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "StageHelp.cmake needs -D${var}=...")
  endif()
endforeach()

file(MAKE_DIRECTORY "${DEST}/images")
foreach(page Index.html help.css)
  file(COPY_FILE "${HELP_SOURCE}/${page}" "${DEST}/${page}" ONLY_IF_DIFFERENT)
endforeach()

file(GLOB tree_pictures "${HELP_SOURCE}/images/*.png")
foreach(picture ${tree_pictures})
  get_filename_component(name "${picture}" NAME)
  file(COPY_FILE "${picture}" "${DEST}/images/${name}" ONLY_IF_DIFFERENT)
endforeach()

foreach(name sidebar-blue.png central-blue.png central-green.png central-brown.png popup.png)
  if(NOT EXISTS "${PICTURES}/${name}")
    message(FATAL_ERROR "The manual's picture ${PICTURES}/${name} was not drawn")
  endif()
  file(COPY_FILE "${PICTURES}/${name}" "${DEST}/images/${name}" ONLY_IF_DIFFERENT)
endforeach()

foreach(name settings-general.png settings-appearance.png settings-calendars.png)
  if(EXISTS "${SCREENS}/${name}" AND "${SCREENS}/${name}" IS_NEWER_THAN "${HELP_SOURCE}/images/${name}")
    file(COPY_FILE "${SCREENS}/${name}" "${DEST}/images/${name}" ONLY_IF_DIFFERENT)
  endif()
endforeach()
