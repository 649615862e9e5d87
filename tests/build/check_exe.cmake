# Checks what the program is as a file: a 32-bit Windows GUI executable that needs nothing but
# the DLLs every Windows has, and carries its version, icon, picture and manifest.
# Run as: cmake -DOBJDUMP=... -DWINDRES=... -DEXE=... -DVERSION_NUMBERS=... -DVERSION_TEXT=...
#   -DPRODUCT_NAME=... -DMAKER=... -P check_exe.cmake
include(${CMAKE_CURRENT_LIST_DIR}/system_dlls.cmake)

execute_process(COMMAND ${OBJDUMP} -f -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read ${EXE}")
endif()

if(NOT dump MATCHES "file format pei-i386")
  message(FATAL_ERROR "${EXE} is not a PE32 i386 image")
endif()
if(NOT dump MATCHES "Subsystem[\t ]+0*2[\t ]+\\(Windows GUI\\)")
  message(FATAL_ERROR "${EXE} is not a GUI program")
endif()

check_system_dlls_only("${EXE}" "${dump}")

execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE resources RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot read the resources of ${EXE}")
endif()
foreach(expected
    "FILEVERSION ${VERSION_NUMBERS}" "PRODUCTVERSION ${VERSION_NUMBERS}"
    "VALUE \"ProductName\", \"${PRODUCT_NAME}\"" "VALUE \"CompanyName\", \"${MAKER}\""
    "VALUE \"FileVersion\", \"${VERSION_TEXT}\"" "VALUE \"ProductVersion\", \"${VERSION_TEXT}\""
    "1 14 /* RT_GROUP_ICON */" "2 2 /* RT_BITMAP */" "/* RT_MANIFEST */")
  string(FIND "${resources}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${EXE} lacks the resource line: ${expected}")
  endif()
endforeach()
