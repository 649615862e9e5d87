cmake_minimum_required(VERSION 3.25)

# Every file of SRC belongs to a layer by its folder, and includes only its own layer and the
# layers it stands on (the README's layout tells them). A file in a folder that no layer claims
# is a fault too, so a new folder cannot escape the check. The product's identity
# (base/identity.h), generated and including nothing, is for every layer.

# Folder and layer, the more specific folder first.
set(layer_folders
  main/ main
  ui/ ui
  app/ app
  service/win32/ service_win32
  service/ service
  sync/ sync
  settings/ settings
  numbers/ numbers
  platform/win32/ platform_win32
  platform/ platform)

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

# The layer a path under SRC (a file, or what an include names) belongs to; empty for none.
function(layer_of path out)
  set(${out} "" PARENT_SCOPE)
  set(pairs ${layer_folders})
  while(pairs)
    list(POP_FRONT pairs folder layer)
    string(LENGTH ${folder} length)
    string(SUBSTRING "${path}" 0 ${length} start)
    if(start STREQUAL folder)
      set(${out} ${layer} PARENT_SCOPE)
      return()
    endif()
  endwhile()
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
