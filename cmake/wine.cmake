# The end-to-end cases against a Windows build under Wine, included by
# CMakeLists.txt once tovrand_e2e_tests is defined: when TOVRAND_WINDOWS_EXE
# names a tovrand.exe (the `wine` preset sets it to the one the `windows`
# preset builds, the release to its own), a Wine prefix and a script that
# runs programs in it (testing/wine.sh.in), the checks of the .exe files'
# DLLs and version resources, and the Wine cases as tests. Otherwise the
# native cases alone.
set(TOVRAND_WINDOWS_EXE "" CACHE FILEPATH
  "A Windows tovrand.exe to run the end-to-end tests on under Wine")
if(TOVRAND_WINDOWS_EXE)
  if(NOT EXISTS "${TOVRAND_WINDOWS_EXE}" AND NOT tovrand_windows_exe_built_here)
    message(FATAL_ERROR "TOVRAND_WINDOWS_EXE: no file ${TOVRAND_WINDOWS_EXE};"
      " build it first: cmake --workflow --preset windows")
  endif()
  # Debian's wine64 puts its programs in /usr/lib/wine only.
  find_program(TOVRAND_WINE NAMES wine64 wine PATHS /usr/lib/wine)
  find_program(TOVRAND_WINESERVER NAMES wineserver PATHS /usr/lib/wine)
  if(NOT TOVRAND_WINE OR NOT TOVRAND_WINESERVER)
    message(FATAL_ERROR "Wine is needed to test ${TOVRAND_WINDOWS_EXE}:"
      " apt-get install wine64")
  endif()
  set(TOVRAND_WINE_PREFIX "${CMAKE_CURRENT_BINARY_DIR}/wine-prefix")
  set(wine_script "${CMAKE_CURRENT_BINARY_DIR}/tovrand-wine")
  configure_file(testing/wine.sh.in "${wine_script}" @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
      GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  target_compile_definitions(tovrand_e2e_tests PRIVATE
    TOVRAND_WINE_SCRIPT="${wine_script}")
  # The .exe runs copied alone into a folder: it needs no DLL beside it.
  find_program(TOVRAND_MINGW_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
  add_test(NAME windows_exe_needs_no_dll
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${TOVRAND_MINGW_OBJDUMP}
      -DEXE=${TOVRAND_WINDOWS_EXE}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/check_windows_dlls.cmake)
  # tovdiff.exe is built beside tovrand.exe: it too runs alone, and each
  # carries its version resource.
  get_filename_component(windows_dir "${TOVRAND_WINDOWS_EXE}" DIRECTORY)
  target_compile_definitions(tovrand_e2e_tests PRIVATE
    TOVDIFF_WINDOWS_EXE="${windows_dir}/tovdiff.exe"
    TOVRAND_AT_STEP_WINDOWS_EXE="${windows_dir}/tovrand_at_step.exe")
  add_test(NAME windows_exe_tovdiff_needs_no_dll
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${TOVRAND_MINGW_OBJDUMP}
      -DEXE=${windows_dir}/tovdiff.exe
      -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/check_windows_dlls.cmake)
  # The window uses the parts of Windows every Windows has, and nothing
  # beside it either.
  add_test(NAME windows_exe_tovrand-window_needs_no_dll
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${TOVRAND_MINGW_OBJDUMP}
      -DEXE=${windows_dir}/tovrand-window.exe
      "-DSYSTEM_DLLS=user32;gdi32;comctl32;ole32;shell32"
      -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/check_windows_dlls.cmake)
  # The window driven by its keys on a virtual X display
  # (testing/window_test.sh).
  add_test(NAME windows_window_writes_what_tovrand_writes
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/testing/window_test.sh
      ${wine_script} ${windows_dir}/tovrand-window.exe
      ${TOVRAND_WINDOWS_EXE} ${CMAKE_CURRENT_SOURCE_DIR}/sample/data)
  set_tests_properties(windows_window_writes_what_tovrand_writes PROPERTIES
    FIXTURES_REQUIRED wine TIMEOUT 300)
  # What its Write writes and when (testing/window_write_test.sh).
  add_test(NAME windows_window_writes_only_what_it_showed
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/testing/window_write_test.sh
      ${wine_script} ${windows_dir}/tovrand-window.exe
      ${TOVRAND_WINDOWS_EXE} ${windows_dir}/tovrand_at_step.exe
      ${CMAKE_CURRENT_SOURCE_DIR}/sample/data)
  set_tests_properties(windows_window_writes_only_what_it_showed PROPERTIES
    FIXTURES_REQUIRED wine TIMEOUT 300)
  foreach(program tovrand tovdiff tovrand-window)
    add_test(NAME windows_exe_${program}_version_info
      COMMAND ${CMAKE_COMMAND} -DEXE=${windows_dir}/${program}.exe
        -DVERSION=${PROJECT_VERSION} -DPROGRAM=${program}
        "-DDESCRIPTION=${${program}_DESCRIPTION}"
        "-DCOPYRIGHT=${TOVRAND_COPYRIGHT}"
        -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/check_version_info.cmake)
  endforeach()
  # One Wine prefix and one wineserver for all the Wine cases.
  add_test(NAME wine_start COMMAND "${wine_script}" start)
  add_test(NAME wine_stop COMMAND "${wine_script}" stop)
  set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
  set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
  gtest_discover_tests(tovrand_e2e_tests NO_PRETTY_VALUES
    TEST_FILTER "Native/*")
  gtest_discover_tests(tovrand_e2e_tests NO_PRETTY_VALUES
    TEST_FILTER "Wine/*" PROPERTIES FIXTURES_REQUIRED wine)
else()
  # Test names end in /0, not in the command that runs the program.
  gtest_discover_tests(tovrand_e2e_tests NO_PRETTY_VALUES)
endif()
