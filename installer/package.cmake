# Builds the Windows Installer package: cmake -P package.cmake with
#   -DDEFINITIONS=   the file the build writes beside the package, which sets
#                    WIXL MSIINFO MSIBUILD (the msitools programs), SOURCE (Chronalign.wxs),
#                    VERSION PRODUCT_CODE UPGRADE_CODE README ICON, and the identity: MAKER TITLE
#                    PRODUCT_NAME PROGRAM_FILE SERVICE_FILE SETTINGS_KEY TIME_PAGE_VALUE RUN_KEY
#                    RUN_VALUE HOME_PAGE
#                    SERVICE_NAME (the time service's, for the service manager)
#   -DPROGRAM= -DSERVICE= -DOUTPUT=     the programs to package and the package to write
# Every path is absolute. A failed build leaves no package behind, so the next build tries again.
include("${DEFINITIONS}")

macro(fail message)
  file(REMOVE "${OUTPUT}")
  message(FATAL_ERROR "${message}")
endmacro()

# wixl looks for files relative to its working folder only: it runs from the root, with every
# path made relative to that.
function(from_root out path)
  string(REGEX REPLACE "^/+" "" relative "${path}")
  set(${out} "${relative}" PARENT_SCOPE)
endfunction()

from_root(program "${PROGRAM}")
from_root(readme "${README}")
from_root(icon "${ICON}")
from_root(service "${SERVICE}")
set(defines -D Version=${VERSION} -D ProductCode=${PRODUCT_CODE} -D UpgradeCode=${UPGRADE_CODE}
  -D ProgramExe=${program} -D Readme=${readme} -D Icon=${icon}
  -D Maker=${MAKER} -D Title=${TITLE} -D ProductName=${PRODUCT_NAME}
  -D ProgramFile=${PROGRAM_FILE} -D ServiceFile=${SERVICE_FILE} -D SettingsKey=${SETTINGS_KEY}
  -D TimePageValue=${TIME_PAGE_VALUE} -D ServiceExe=${service} -D ServiceName=${SERVICE_NAME}
  -D RunKey=${RUN_KEY} -D RunValue=${RUN_VALUE} -D HomePage=${HOME_PAGE})

file(REMOVE "${OUTPUT}")
execute_process(COMMAND "${WIXL}" --arch x86 ${defines} -o "${OUTPUT}" "${SOURCE}"
  WORKING_DIRECTORY / RESULT_VARIABLE failed)
if(failed)
  fail("wixl could not build ${OUTPUT}")
endif()

# A public property reaches the part of a per-machine install that runs with the installer's
# rights only when it is listed as secure; wixl lists its own and has no way to add one.
execute_process(COMMAND "${MSIINFO}" export "${OUTPUT}" Property
  OUTPUT_VARIABLE properties RESULT_VARIABLE failed)
if(failed OR NOT properties MATCHES "\nSecureCustomProperties\t([^\r\n]*)")
  fail("no SecureCustomProperties in ${OUTPUT}")
endif()
execute_process(COMMAND "${MSIBUILD}" "${OUTPUT}" -q
  "UPDATE `Property` SET `Value` = '${CMAKE_MATCH_1};TIMEPAGE' WHERE `Property` = 'SecureCustomProperties'"
  RESULT_VARIABLE failed)
if(failed)
  fail("could not mark TIMEPAGE secure in ${OUTPUT}")
endif()

# The older version's removal in an upgrade gets the Remove column of its Upgrade row as its
# REMOVE; OLDVERSIONREMOVE (see Chronalign.wxs) says what that is.
execute_process(COMMAND "${MSIBUILD}" "${OUTPUT}" -q
  "UPDATE `Upgrade` SET `Remove` = '[OLDVERSIONREMOVE]' WHERE `ActionProperty` = 'WIX_UPGRADE_DETECTED'"
  RESULT_VARIABLE failed)
if(failed)
  fail("could not set the older version's removal in ${OUTPUT}")
endif()

# wixl removes the older version before the new install's script begins (after InstallValidate),
# in a transaction of its own: a new version that then failed would leave neither. Right after
# InstallInitialize the removal is part of the new install's script, and a failure rolls it
# back, older version, service and all; from an older version whose own removal deletes the
# service (1.0.58 and before) the service is not brought back by the rollback.
execute_process(COMMAND "${MSIBUILD}" "${OUTPUT}" -q
  "UPDATE `InstallExecuteSequence` SET `Sequence` = 1510 WHERE `Action` = 'RemoveExistingProducts'"
  RESULT_VARIABLE failed)
if(failed)
  fail("could not move RemoveExistingProducts in ${OUTPUT}")
endif()
