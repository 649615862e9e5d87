# Checks the time service as a file: a 32-bit Windows console executable (as services are) that
# needs nothing but the DLLs every Windows has, with its version and its event messages.
# Run as: cmake -DOBJDUMP=... -DWINDRES=... -DEXE=... -DVERSION_NUMBERS=... -DFILE_NAME=...
#   -P check_service_exe.cmake
include(${CMAKE_CURRENT_LIST_DIR}/system_dlls.cmake)

execute_process(COMMAND ${OBJDUMP} -f -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed OR NOT dump MATCHES "file format pei-i386")
  message(FATAL_ERROR "${EXE} is not a PE32 i386 image")
endif()
if(NOT dump MATCHES "Subsystem[\t ]+0*3[\t ]+\\(Windows CUI\\)")
  message(FATAL_ERROR "${EXE} is not a console program")
endif()
check_system_dlls_only("${EXE}" "${dump}")

execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE resources RESULT_VARIABLE failed)
foreach(expected "FILEVERSION ${VERSION_NUMBERS}" "VALUE \"OriginalFilename\", \"${FILE_NAME}\""
    "MESSAGETABLE")
  string(FIND "${resources}" "${expected}" at)
  if(failed OR at EQUAL -1)
    message(FATAL_ERROR "${EXE} lacks the resource line: ${expected}")
  endif()
endforeach()
