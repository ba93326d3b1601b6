# What a release is made of, included by CMakeLists.txt once the programs
# are defined:
#  - on Windows, each program's version resource (base/version.rc.in);
#  - the install rules: what a package of this platform holds;
#  - with TOVRAND_RELEASE (preset release), the Windows programs built in a
#    sub-build (build/release/windows) and CPack set up to make both
#    packages and their SHA256SUMS in the build folder.

if(WIN32)
  enable_language(RC)
  # The version as four numbers, the fourth 0 unless project() gives one.
  set(tweak 0)
  if(NOT "${PROJECT_VERSION_TWEAK}" STREQUAL "")
    set(tweak ${PROJECT_VERSION_TWEAK})
  endif()
  set(TOVRAND_RC_VERSION "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${tweak}")
  foreach(TOVRAND_RC_PROGRAM tovrand tovdiff tovrand-window)
    set(TOVRAND_RC_DESCRIPTION "${${TOVRAND_RC_PROGRAM}_DESCRIPTION}")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/generated/${TOVRAND_RC_PROGRAM}.rc")
    configure_file(base/version.rc.in "${rc}" @ONLY)
    target_sources(${TOVRAND_RC_PROGRAM} PRIVATE "${rc}")
  endforeach()
endif()

# The text files of a package, with the platform's line ends (CR LF on
# Windows, where Notepad and cmd expect them), made at build time so that
# an edit of the source shows in the next package.
if(WIN32)
  set(tovrand_line_end CRLF)
  set(tovrand_text_sources release/README.txt release/MANUAL.txt LICENSE
    CHANGELOG.md release/run-example.bat)
  set(tovrand_text_names README.txt MANUAL.txt LICENSE.txt CHANGELOG.txt
    run-example.bat)
else()
  set(tovrand_line_end LF)
  set(tovrand_text_sources release/README.txt release/MANUAL.txt LICENSE
    CHANGELOG.md release/run-example.sh)
  set(tovrand_text_names README.txt MANUAL.txt LICENSE CHANGELOG.md
    run-example.sh)
endif()
set(tovrand_package_texts "")
foreach(source name IN ZIP_LISTS tovrand_text_sources tovrand_text_names)
  set(made "${CMAKE_CURRENT_BINARY_DIR}/package/${name}")
  add_custom_command(OUTPUT "${made}"
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/${source}
      -DOUT=${made} -DLINE_END=${tovrand_line_end}
      -DCOMMIT_FILE=${CMAKE_CURRENT_BINARY_DIR}/generated/commit.txt
      -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/line_ends.cmake
    DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${source}"
      "${CMAKE_CURRENT_SOURCE_DIR}/cmake/line_ends.cmake"
      "${CMAKE_CURRENT_BINARY_DIR}/generated/commit.txt"
    COMMENT "Making ${name} with ${tovrand_line_end} line ends")
  list(APPEND tovrand_package_texts "${made}")
endforeach()
add_custom_target(package_texts ALL DEPENDS ${tovrand_package_texts})
add_dependencies(package_texts tovrand_commit)

option(TOVRAND_RELEASE
  "Also build the Windows programs and make the release packages (preset release)"
  OFF)
option(TOVRAND_PACKAGE_LAYOUT
  "Install all files into one folder, as a release package holds them" OFF)
option(TOVRAND_REPRODUCIBLE
  "Build tovrand and tovdiff as a release ships them: the same bytes from any folder at any time"
  ${TOVRAND_RELEASE})

# The programs a release ships are the same bytes wherever and whenever the
# commit is built: linked stripped (-s; strip run afterwards would stamp a
# .exe with the time), with no path of the source or build folder inside,
# and on Windows with 0 as the link time in the PE header.
set(tovrand_programs tovrand tovdiff)
if(WIN32)
  list(APPEND tovrand_programs tovrand-window)
endif()
if(TOVRAND_REPRODUCIBLE)
  foreach(target IN LISTS tovrand_layers tovrand_programs)
    target_compile_options(${target} PRIVATE
      "-ffile-prefix-map=${CMAKE_CURRENT_SOURCE_DIR}/="
      "-ffile-prefix-map=${CMAKE_CURRENT_BINARY_DIR}/=")
  endforeach()
  foreach(program IN LISTS tovrand_programs)
    target_link_options(${program} PRIVATE -s)
    if(MINGW)
      target_link_options(${program} PRIVATE -Wl,--no-insert-timestamp)
    endif()
  endforeach()
endif()

# A package holds the programs (on Windows the window too) and the texts at
# its top level; the
# example script is a program on Linux. Anywhere else (cmake --install of a
# plain build) the programs go to bin/ and the texts to the doc folder.
if(TOVRAND_RELEASE OR TOVRAND_PACKAGE_LAYOUT)
  set(tovrand_program_dir .)
  set(tovrand_text_dir .)
else()
  include(GNUInstallDirs)
  set(tovrand_program_dir "${CMAKE_INSTALL_BINDIR}")
  set(tovrand_text_dir "${CMAKE_INSTALL_DOCDIR}")
endif()
install(TARGETS ${tovrand_programs} RUNTIME DESTINATION "${tovrand_program_dir}")
foreach(made IN LISTS tovrand_package_texts)
  if(made MATCHES "/run-example\\.sh$")
    install(PROGRAMS "${made}" DESTINATION "${tovrand_text_dir}")
  else()
    install(FILES "${made}" DESTINATION "${tovrand_text_dir}")
  endif()
endforeach()
if(TOVRAND_RELEASE)
  if(WIN32)
    message(FATAL_ERROR "TOVRAND_RELEASE: configure the release on Linux;"
      " it builds the Windows programs itself")
  endif()
  # The Windows programs: this source tree built again with MinGW-w64, each
  # time this build is built (the sub-build then rebuilds what changed).
  include(ExternalProject)
  set(TOVRAND_WINDOWS_BUILD "${CMAKE_CURRENT_BINARY_DIR}/windows")
  ExternalProject_Add(tovrand_windows
    SOURCE_DIR "${CMAKE_CURRENT_SOURCE_DIR}"
    BINARY_DIR "${TOVRAND_WINDOWS_BUILD}"
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_SOURCE_DIR}/cmake/mingw-w64.cmake
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DTOVRAND_TESTS=OFF
      -DTOVRAND_RELEASE=OFF
      -DTOVRAND_PACKAGE_LAYOUT=ON
      -DTOVRAND_REPRODUCIBLE=ON
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS "${TOVRAND_WINDOWS_BUILD}/tovrand.exe"
      "${TOVRAND_WINDOWS_BUILD}/tovdiff.exe"
      "${TOVRAND_WINDOWS_BUILD}/tovrand-window.exe"
      "${TOVRAND_WINDOWS_BUILD}/tovrand_at_step.exe")
  # The Wine end-to-end cases run on that tovrand.exe. It is built after
  # configuring, so the tests do not ask for it to exist already.
  set(TOVRAND_WINDOWS_EXE "${TOVRAND_WINDOWS_BUILD}/tovrand.exe")
  set(tovrand_windows_exe_built_here ON)

  # cpack (preset release) makes one archive a platform: ZIP packages the
  # sub-build's install rules, TGZ this build's (cmake/package_config.cmake
  # picks them per generator), each under one folder named like the
  # archive. cmake/release_archive.cmake then makes each archive again from
  # what CPack staged, the same bytes from every build of the commit, and
  # cmake/write_checksums.cmake writes SHA256SUMS beside them.
  string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" tovrand_processor)
  set(CPACK_PACKAGE_NAME tovrand)
  set(CPACK_PACKAGE_VENDOR "the tovrand developers")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
  set(CPACK_GENERATOR "ZIP;TGZ")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_CURRENT_BINARY_DIR}")
  set(CPACK_TOVRAND_ZIP_NAME "tovrand-${PROJECT_VERSION}-windows-x64")
  set(CPACK_TOVRAND_TGZ_NAME
    "tovrand-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${tovrand_processor}")
  string(TOLOWER "${CPACK_TOVRAND_TGZ_NAME}" CPACK_TOVRAND_TGZ_NAME)
  set(CPACK_TOVRAND_WINDOWS_BUILD "${TOVRAND_WINDOWS_BUILD}")
  set(CPACK_TOVRAND_NATIVE_BUILD "${CMAKE_CURRENT_BINARY_DIR}")
  set(CPACK_PROJECT_CONFIG_FILE
    "${CMAKE_CURRENT_SOURCE_DIR}/cmake/package_config.cmake")
  set(CPACK_TOVRAND_SOURCE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  set(CPACK_POST_BUILD_SCRIPTS
    "${CMAKE_CURRENT_SOURCE_DIR}/cmake/release_archive.cmake"
    "${CMAKE_CURRENT_SOURCE_DIR}/cmake/write_checksums.cmake")
  include(CPack)
endif()
