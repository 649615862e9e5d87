cmake_minimum_required(VERSION 3.25)

# Every file of SRC belongs to a layer by its folder, and includes only its own layer and the
# layers it stands on (the README's layout tells them). A file in a folder that no layer claims
# is a fault too, so a new folder cannot escape the check. The product's identity
# (base/identity.h), generated and including nothing, is for every layer.
# Run as: cmake -DSRC=<src/> -DPORTABLE_LAYERS=<the build's portable layers, comma-separated>
#   -P check_layers.cmake

# Folder and layer: each portable layer in the folder of its name, as the build names them, and
# around them the entry points, the Win32 halves and the platform headers.
string(REPLACE "," ";" portable_layers "${PORTABLE_LAYERS}")
if(NOT portable_layers)
  message(FATAL_ERROR "no portable layers given (PORTABLE_LAYERS)")
endif()
set(layer_folders
  main/ main
  service/win32/ service_win32
  platform/win32/ platform_win32
  platform/ platform)
foreach(layer IN LISTS portable_layers)
  list(APPEND layer_folders ${layer}/ ${layer})
endforeach()

# What each layer may include. The two entry points start everything; each program's Win32 half
# stands on the Win32 definitions' helpers; the platform headers stand on nothing.
set(portable_floor numbers platform)
set(allowed_main main ui app service_win32 service sync settings ${portable_floor} platform_win32)
set(allowed_ui ui app sync settings ${portable_floor})
set(allowed_app app sync settings ${portable_floor})
set(allowed_service_win32 service_win32 service sync settings ${portable_floor} platform_win32)
set(allowed_service service sync settings ${portable_floor})
set(allowed_sync sync settings ${portable_floor})
set(allowed_settings settings ${portable_floor})
set(allowed_numbers ${portable_floor})
set(allowed_platform_win32 platform_win32 platform)
set(allowed_platform platform)

foreach(layer IN LISTS portable_layers)
  if(NOT DEFINED allowed_${layer})
    message(FATAL_ERROR "the portable layer ${layer} has no place among the layers here")
  endif()
endforeach()

# The layer a path under SRC (a file, or what an include names) belongs to, by the longest folder
# that begins it (service/win32/ before service/); empty for none.
function(layer_of path out)
  set(found "")
  set(longest 0)
  set(pairs ${layer_folders})
  while(pairs)
    list(POP_FRONT pairs folder layer)
    string(LENGTH ${folder} length)
    string(SUBSTRING "${path}" 0 ${length} start)
    if(start STREQUAL folder AND length GREATER longest)
      set(found ${layer})
      set(longest ${length})
    endif()
  endwhile()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SRC} ${SRC}/*)
set(faults "")
foreach(source IN LISTS sources)
  layer_of(${source} from)
  if(NOT from)
    list(APPEND faults "${source} is in no layer")
    continue()
  endif()
  file(STRINGS ${SRC}/${source} includes REGEX "^#include \"[^\"]+/[^\"]+\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(included STREQUAL "base/identity.h")
      continue()
    endif()
    layer_of(${included} to)
    if(NOT to)
      list(APPEND faults "${source} (${from}) includes ${included}, which is in no layer")
    elseif(NOT to IN_LIST allowed_${from})
      list(APPEND faults "${source} (${from}) includes ${included} (${to})")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "includes against the layers:\n  ${text}")
endif()
