# Checks that a Windows executable needs no DLL but those every Windows has,
# so that it runs when copied alone into a folder.
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DEXE=tovrand.exe
#         [-DSYSTEM_DLLS=user32;comctl32] -P check_windows_dlls.cmake
# The console programs need the kernel and the C runtime alone; a program
# with a window names in SYSTEM_DLLS the parts of Windows it uses besides
# (the window manager, common controls, COM, the shell).

cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${OBJDUMP}" -p "${EXE}"
  OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${EXE}")
endif()

string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "${EXE} imports no DLL at all: not a Windows program?")
endif()
set(foreign "")
foreach(import IN LISTS imports)
  string(REPLACE "DLL Name: " "" dll "${import}")
  string(TOLOWER "${dll}" name)
  message(STATUS "${EXE} imports ${dll}")
  # Windows' own: the kernel and the C runtime (the old msvcrt or the UCRT).
  string(REPLACE ".dll" "" base "${name}")
  if(base IN_LIST SYSTEM_DLLS)
    continue()
  endif()
  if(NOT name MATCHES "^(kernel32|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+)\\.dll$")
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${EXE} needs DLLs that Windows does not have: "
    "${foreign}. Link it statically (-static).")
endif()
