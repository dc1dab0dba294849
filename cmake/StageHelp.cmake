# Puts the user manual together in DEST: Index.html and help.css from HELP_SOURCE, and in
# DEST/images the pictures the manual shows:
#   - wallpapers the unit tests rendered into RENDERS (build/renders/native), under the
#     names the manual uses;
#   - the two pages of the settings sheet, screenshots the Windows driver leaves in
#     SCREENS. Until one exists, a placeholder that says so is drawn in its place (with
#     CONVERT, ImageMagick), so the manual never shows a broken picture.
# Run as: cmake -DHELP_SOURCE=... -DRENDERS=... -DSCREENS=... -DDEST=... [-DCONVERT=...] -P StageHelp.cmake
foreach(var HELP_SOURCE RENDERS SCREENS DEST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "StageHelp.cmake needs -D${var}=...")
  endif()
endforeach()

file(MAKE_DIRECTORY "${DEST}/images")
foreach(page Index.html help.css)
  file(COPY_FILE "${HELP_SOURCE}/${page}" "${DEST}/${page}" ONLY_IF_DIFFERENT)
endforeach()

# manual's name -> render of tests/unit/PanelRenderTest.cpp
set(RENDER_PICTURES
  "sidebar-blue.png=panel-sidebar-blue-12h-en.png"
  "central-blue.png=panel-central-blue-12h-en.png"
  "central-green.png=panel-central-green-12h-en.png"
  "central-brown.png=panel-central-brown-12h-en.png"
  "popup.png=panel-central-blue-12h-en-popup.png")
set(missing)
foreach(pair ${RENDER_PICTURES})
  string(REPLACE "=" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 render)
  if(EXISTS "${RENDERS}/${render}")
    file(COPY_FILE "${RENDERS}/${render}" "${DEST}/images/${name}" ONLY_IF_DIFFERENT)
  elseif(NOT EXISTS "${DEST}/images/${name}")
    list(APPEND missing "${render}")
  endif()
endforeach()
if(missing)
  message(STATUS "The manual still lacks renders (the unit tests write them with "
                  "ORVANTA_RENDER_DIR=${RENDERS}): ${missing}")
endif()

# The settings sheet, photographed by the Windows driver; a labelled placeholder until then.
foreach(page "general;General Options" "appearance;Appearance & Positioning")
  list(GET page 0 id)
  list(GET page 1 caption)
  set(name "settings-${id}.png")
  if(EXISTS "${SCREENS}/${name}")
    file(COPY_FILE "${SCREENS}/${name}" "${DEST}/images/${name}" ONLY_IF_DIFFERENT)
  elseif(NOT EXISTS "${DEST}/images/${name}")
    if(NOT CONVERT)
      message(WARNING "No screenshot ${SCREENS}/${name} and no ImageMagick to draw its placeholder")
      continue()
    endif()
    set(font)
    if(EXISTS "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
      set(font -font "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf")
    endif()
    execute_process(
      COMMAND "${CONVERT}" -size 520x400 "xc:#e8ebf0" -fill none -stroke "#8a94a6" -strokewidth 2
              -draw "rectangle 6,6 513,393" -stroke none -fill "#3a4356" ${font}
              -pointsize 20 -gravity center
              -annotate +0-30 "PLACEHOLDER"
              -pointsize 15 -annotate +0+10 "Settings: ${caption} page"
              -annotate +0+36 "The screenshot is taken by the Windows test run."
              "PNG24:${DEST}/images/${name}"
      RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      file(REMOVE "${DEST}/images/${name}")
      message(WARNING "The placeholder ${DEST}/images/${name} could not be drawn (${rc})")
    endif()
  endif()
endforeach()
