# The product's identity, from the project's name and version and the maker's facts set before
# this is included: every name and text below, composed once here, reaches the code, the tests
# and the resources through the generated base/identity.h, and the installer package through
# its build. The program's texts (version line, tool tip, box titles) read the version
# resource at run time, so they follow it too.
set(CHRONALIGN_TITLE ${PROJECT_NAME})
set(CHRONALIGN_PRODUCT_NAME "${CHRONALIGN_MAKER} ${CHRONALIGN_TITLE}")
string(TOUPPER "${CHRONALIGN_MAKER}" CHRONALIGN_MAKER_CAPS)
set(CHRONALIGN_PROGRAM_FILE ${CHRONALIGN_TITLE}.exe)
set(CHRONALIGN_SERVICE_FILE ${CHRONALIGN_TITLE}Service.exe)
set(CHRONALIGN_SERVICE_DESCRIPTION "${CHRONALIGN_TITLE} Time Service")
set(CHRONALIGN_SERVICE_DISPLAY_NAME "${CHRONALIGN_PRODUCT_NAME} Time Service")
# The service, its event-log source and pipe; the key below HKEY_LOCAL_MACHINE or
# HKEY_CURRENT_USER whose values start with Windows, and the program's value there.
set(CHRONALIGN_SERVICE_NAME ${CHRONALIGN_MAKER}${CHRONALIGN_TITLE})
set(CHRONALIGN_PIPE_NAME "\\\\.\\pipe\\${CHRONALIGN_SERVICE_NAME}")
set(CHRONALIGN_RUN_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Run")
set(CHRONALIGN_RUN_VALUE ${CHRONALIGN_MAKER}${CHRONALIGN_TITLE})
set(CHRONALIGN_INSTANCE_MUTEX "Local\\${CHRONALIGN_MAKER}.${CHRONALIGN_TITLE}.Instance")
set(CHRONALIGN_WINDOW_CLASS ${CHRONALIGN_TITLE}Main)
# Below HKEY_CURRENT_USER the settings store keeps each application's sections here, the
# program's own in one section of the application of its name; below HKEY_LOCAL_MACHINE the
# machine-wide values live at the key of that name.
set(CHRONALIGN_SETTINGS_ROOT "Software\\${CHRONALIGN_MAKER}")
set(CHRONALIGN_SETTINGS_KEY "${CHRONALIGN_SETTINGS_ROOT}\\${CHRONALIGN_TITLE}")
set(CHRONALIGN_SETTINGS_SECTION General)
set(CHRONALIGN_USER_SETTINGS_KEY "${CHRONALIGN_SETTINGS_KEY}\\${CHRONALIGN_SETTINGS_SECTION}")
# Group Policy's key below HKEY_LOCAL_MACHINE, which both registry views share on 64-bit Windows,
# and the text value there (and in the other two places) that names the time page.
set(CHRONALIGN_POLICY_KEY "Software\\Policies\\${CHRONALIGN_MAKER}\\${CHRONALIGN_TITLE}")
set(CHRONALIGN_TIME_PAGE_VALUE TimePage)

# The version resource's four numbers are major, minor, 0 and the revision; its text shows the
# minor with two digits and the revision with four ("1.00.0058").
if(NOT PROJECT_VERSION_PATCH EQUAL 0 OR PROJECT_VERSION_TWEAK GREATER 65535)
  message(FATAL_ERROR "the version holds major.minor.0.revision only, not ${PROJECT_VERSION}")
endif()
set(CHRONALIGN_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
set(CHRONALIGN_VERSION_MINOR ${PROJECT_VERSION_MINOR})
set(CHRONALIGN_VERSION_REVISION ${PROJECT_VERSION_TWEAK})
function(chronalign_zero_pad out number width)
  string(LENGTH "${number}" length)
  set(padded "${number}")
  while(length LESS width)
    string(PREPEND padded 0)
    math(EXPR length "${length} + 1")
  endwhile()
  set(${out} ${padded} PARENT_SCOPE)
endfunction()
chronalign_zero_pad(minor ${PROJECT_VERSION_MINOR} 2)
chronalign_zero_pad(revision ${PROJECT_VERSION_TWEAK} 4)
set(CHRONALIGN_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${minor}.${revision})
set(CHRONALIGN_VERSION_NUMBERS
  "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, 0, ${PROJECT_VERSION_TWEAK}")

# C string literals of the texts for the header.
foreach(name MAKER MAKER_CAPS TITLE PRODUCT_NAME PROGRAM_FILE SERVICE_FILE SERVICE_DESCRIPTION
    SERVICE_DISPLAY_NAME SERVICE_NAME PIPE_NAME RUN_KEY RUN_VALUE INSTANCE_MUTEX WINDOW_CLASS
    SETTINGS_ROOT SETTINGS_KEY SETTINGS_SECTION USER_SETTINGS_KEY POLICY_KEY TIME_PAGE_VALUE
    HOME_PAGE MAKERS_TIME_PAGE VERSION_TEXT)
  string(REPLACE "\\" "\\\\" escaped "${CHRONALIGN_${name}}")
  set(CHRONALIGN_${name}_LITERAL "\"${escaped}\"")
endforeach()

set(CHRONALIGN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/identity.h.in ${CHRONALIGN_GENERATED_DIR}/base/identity.h
  @ONLY)
