# The Windows programs under Wine, when TOVRAND_WINDOWS_EXE names a
# tovrand.exe (preset wine: the windows preset's; the release: its own): a
# script that runs programs in one Wine prefix (testing/wine.sh.in), started
# and stopped around the Wine cases (the fixture `wine`), and what the
# end-to-end tests need to run them (tovrand_wine_defines).
set(TOVRAND_WINDOWS_EXE "" CACHE FILEPATH
  "A Windows tovrand.exe to run the end-to-end tests on under Wine")
set(tovrand_wine_defines "")
if(NOT TOVRAND_WINDOWS_EXE)
  return()
elseif(NOT EXISTS "${TOVRAND_WINDOWS_EXE}" AND NOT tovrand_windows_exe_built_here)
  message(FATAL_ERROR "TOVRAND_WINDOWS_EXE: no file ${TOVRAND_WINDOWS_EXE};"
    " build it first: cmake --workflow --preset windows")
endif()
# Debian's wine64 puts its programs in /usr/lib/wine only.
find_program(TOVRAND_WINE NAMES wine64 wine PATHS /usr/lib/wine)
find_program(TOVRAND_WINESERVER NAMES wineserver PATHS /usr/lib/wine)
if(NOT TOVRAND_WINE OR NOT TOVRAND_WINESERVER)
  message(FATAL_ERROR "Wine is needed to test ${TOVRAND_WINDOWS_EXE}: apt-get install wine64")
endif()
find_program(TOVRAND_MINGW_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
set(TOVRAND_WINE_PREFIX "${CMAKE_CURRENT_BINARY_DIR}/wine-prefix")
set(tovrand_wine_script "${CMAKE_CURRENT_BINARY_DIR}/tovrand-wine")
configure_file(testing/wine.sh.in "${tovrand_wine_script}" @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
get_filename_component(windows_dir "${TOVRAND_WINDOWS_EXE}" DIRECTORY)
set(tovrand_wine_defines TOVRAND_WINE_SCRIPT="${tovrand_wine_script}"
  TOVRAND_WINDOWS_DIR="${windows_dir}"
  TOVDIFF_WINDOWS_EXE="${windows_dir}/tovdiff.exe"
  TOVRAND_AT_STEP_WINDOWS_EXE="${windows_dir}/tovrand_at_step.exe"
  TOVRAND_MINGW_OBJDUMP="${TOVRAND_MINGW_OBJDUMP}")
add_test(NAME wine_start COMMAND "${tovrand_wine_script}" start)
add_test(NAME wine_stop COMMAND "${tovrand_wine_script}" stop)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

# A script run under Wine, given the Wine script, the window, tovrand.exe.
function(tovrand_wine_test name script)
  add_test(NAME ${name} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${script}
    ${tovrand_wine_script} ${windows_dir}/tovrand-window.exe
    ${TOVRAND_WINDOWS_EXE} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()
# The window driven by its keys on a virtual X display; what Write writes.
tovrand_wine_test(windows_window_writes_what_tovrand_writes
  testing/window_test.sh ${CMAKE_CURRENT_SOURCE_DIR}/sample/data)
tovrand_wine_test(windows_window_writes_only_what_it_showed
  testing/window_write_test.sh ${windows_dir}/tovrand_at_step.exe
  ${CMAKE_CURRENT_SOURCE_DIR}/sample/data)
tovrand_wine_test(windows_window_loads_sorts_copies_and_remembers
  testing/window_list_test.sh ${windows_dir}/shell_stub.exe
  ${CMAKE_CURRENT_SOURCE_DIR}/sample/data)
