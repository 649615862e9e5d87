# What both executables may import: the DLLs that every Windows has.
set(system_dlls ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll SHELL32.dll USER32.dll
    VERSION.dll WININET.dll WINHTTP.dll WS2_32.dll)

# Fails unless the executable's import list (dump: objdump -p) names only those DLLs.
function(check_system_dlls_only exe dump)
  string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
  if(NOT imports)
    message(FATAL_ERROR "${exe} lists no imports")
  endif()
  string(TOUPPER "${system_dlls}" allowed)
  foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOUPPER "${dll}" upper)
    list(FIND allowed "${upper}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${exe} needs ${dll}, which not every Windows has")
    endif()
    message(STATUS "imports ${dll}")
  endforeach()
endfunction()
