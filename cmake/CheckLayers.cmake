# Build-time check of the layers: cmake -DSRC=<src> -DSTAMP=<file> -P CheckLayers.cmake
#
# An allow-list. A portable file (every file of src/ outside platform/win32,
# platform/posix and hook) may include:
#   - files of its own layer and of the layers below it (platform/ means the
#     interfaces platform/*.h and the shared code of platform/common only);
#   - the standard library (<name> with no extension and no folder);
#   - the third-party headers listed once below.
# platform/win32, platform/posix and hook are implementation: they include what
# they need, and only the entry point, where the ports are assembled, includes them.
set(order util automation platform system settings outlook render desktop app hook)
set(third_party
  "zlib.h"                  # zlib: CRC-32, deflate
  "jpeglib.h" "jerror.h"    # libjpeg: JPEG pictures
  "png.h"                   # libpng: PNG pictures
  "libical/ical.h"          # libical: calendar files
  "nlohmann/json.hpp"       # nlohmann-json: the substitute store
)
# Files where the ports are assembled, which alone may reach an implementation.
set(entry_points "app/main.cpp")
set(implementation "^(platform/(win32|posix)|hook)/")

file(GLOB_RECURSE files ${SRC}/*.h ${SRC}/*.cpp)
set(faults "")
foreach(f IN LISTS files)
  file(RELATIVE_PATH rel ${SRC} ${f})
  if(rel MATCHES "${implementation}")
    continue()
  endif()
  string(REGEX MATCH "^[^/]+" layer "${rel}")
  list(FIND order "${layer}" rank)
  if(rank EQUAL -1)
    string(APPEND faults "  ${rel}: '${layer}' is not a layer (${order})\n")
    continue()
  endif()
  get_filename_component(dir ${f} DIRECTORY)
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(inc "${CMAKE_MATCH_1}")
      get_filename_component(target "${dir}/${inc}" ABSOLUTE)
      if(NOT EXISTS "${target}")
        get_filename_component(target "${SRC}/${inc}" ABSOLUTE)
      endif()
      file(RELATIVE_PATH trel ${SRC} ${target})
      if(trel MATCHES "^\\.\\.")
        continue() # res/ and other data beside the sources
      endif()
      if(trel MATCHES "${implementation}")
        list(FIND entry_points "${rel}" entry)
        if(entry EQUAL -1)
          string(APPEND faults "  ${rel}: includes \"${inc}\", an implementation; portable code uses the interfaces in platform/*.h\n")
        endif()
        continue()
      endif()
      string(REGEX MATCH "^[^/]+" tlayer "${trel}")
      list(FIND order "${tlayer}" trank)
      if(trank GREATER rank)
        string(APPEND faults "  ${rel}: includes \"${inc}\" of the layer '${tlayer}', above '${layer}'\n")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(inc "${CMAKE_MATCH_1}")
      list(FIND third_party "${inc}" listed)
      if(NOT inc MATCHES "^[a-z_]+$" AND listed EQUAL -1)
        string(APPEND faults "  ${rel}: includes <${inc}>, neither the standard library nor a listed library; "
                             "operating-system headers belong in platform/win32 or platform/posix\n")
      endif()
    endif()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "Layering: an include runs upward, reaches an implementation, or is not on the list\n"
                      "(order, lowest first: ${order})\n${faults}")
endif()
file(TOUCH ${STAMP})
