# What a release is made of: the Windows version resources; what a package
# holds; with TOVRAND_RELEASE (preset release) the Windows programs built in
# a sub-build (build/release/windows) and CPack's set-up for the packages.
set(tovrand_programs tovrand tovdiff)
if(WIN32)
  list(APPEND tovrand_programs tovrand-window)
  enable_language(RC)
  # The version as four numbers, the fourth 0 unless project() gives one.
  string(REPLACE "." "," TOVRAND_RC_VERSION "${PROJECT_VERSION}.0")
  string(REGEX REPLACE "^([0-9]+,[0-9]+,[0-9]+,[0-9]+),0$" "\\1"
    TOVRAND_RC_VERSION "${TOVRAND_RC_VERSION}")
  foreach(TOVRAND_RC_PROGRAM IN LISTS tovrand_programs)
    set(TOVRAND_RC_DESCRIPTION "${${TOVRAND_RC_PROGRAM}_DESCRIPTION}")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/generated/${TOVRAND_RC_PROGRAM}.rc")
    configure_file(base/version.rc.in "${rc}" @ONLY)
    target_sources(${TOVRAND_RC_PROGRAM} PRIVATE "${rc}")
  endforeach()
endif()

# A package's texts, in the platform's line ends (CR LF for Notepad and cmd)
# and naming the commit (cmake/line_ends.cmake), made at build time.
if(WIN32)
  set(tovrand_line_end CRLF)
  set(tovrand_texts release/README.txt README.txt release/MANUAL.txt MANUAL.txt
    LICENSE LICENSE.txt CHANGELOG.md CHANGELOG.txt release/run-example.bat run-example.bat)
else()
  set(tovrand_line_end LF)
  set(tovrand_texts release/README.txt README.txt release/MANUAL.txt MANUAL.txt
    LICENSE LICENSE CHANGELOG.md CHANGELOG.md release/run-example.sh run-example.sh)
endif()
set(tovrand_package_texts "")
set(commit_file "${CMAKE_CURRENT_BINARY_DIR}/generated/commit.txt")
while(tovrand_texts)
  list(POP_FRONT tovrand_texts source name)
  set(made "${CMAKE_CURRENT_BINARY_DIR}/package/${name}")
  add_custom_command(OUTPUT "${made}"
    COMMAND ${CMAKE_COMMAND} -DIN=${CMAKE_CURRENT_SOURCE_DIR}/${source}
      -DOUT=${made} -DLINE_END=${tovrand_line_end} -DCOMMIT_FILE=${commit_file}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/line_ends.cmake
    DEPENDS ${source} cmake/line_ends.cmake "${commit_file}")
  list(APPEND tovrand_package_texts "${made}")
endwhile()
add_custom_target(package_texts ALL DEPENDS ${tovrand_package_texts})
add_dependencies(package_texts tovrand_commit)

# A package holds the programs and the texts at its top level, the example
# script a program on Linux; a plain cmake --install puts the programs in
# bin/ and the texts in the doc folder.
set(tovrand_program_dir .)
set(tovrand_text_dir .)
if(NOT TOVRAND_RELEASE AND NOT TOVRAND_PACKAGE_LAYOUT)
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
if(NOT TOVRAND_RELEASE)
  return()
elseif(WIN32)
  message(FATAL_ERROR "TOVRAND_RELEASE: configure the release on Linux;"
    " it builds the Windows programs itself")
endif()

# The Windows programs: this tree built again with MinGW-w64 each time
# this build is built; the Wine cases run on its tovrand.exe.
include(ExternalProject)
set(TOVRAND_WINDOWS_BUILD "${CMAKE_CURRENT_BINARY_DIR}/windows")
ExternalProject_Add(tovrand_windows
  SOURCE_DIR "${CMAKE_CURRENT_SOURCE_DIR}"
  BINARY_DIR "${TOVRAND_WINDOWS_BUILD}"
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_CURRENT_SOURCE_DIR}/cmake/mingw-w64.cmake
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} -DTOVRAND_TESTS=OFF
    -DTOVRAND_RELEASE=OFF -DTOVRAND_PACKAGE_LAYOUT=ON -DTOVRAND_REPRODUCIBLE=ON
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS "${TOVRAND_WINDOWS_BUILD}/tovrand.exe"
    "${TOVRAND_WINDOWS_BUILD}/tovdiff.exe"
    "${TOVRAND_WINDOWS_BUILD}/tovrand-window.exe"
    "${TOVRAND_WINDOWS_BUILD}/tovrand_at_step.exe"
    "${TOVRAND_WINDOWS_BUILD}/shell_stub.exe")
set(TOVRAND_WINDOWS_EXE "${TOVRAND_WINDOWS_BUILD}/tovrand.exe")
set(tovrand_windows_exe_built_here ON)

# cpack makes one archive a platform, each under one folder named like it:
# ZIP from the sub-build's install rules, TGZ from this build's
# (cmake/package_config.cmake). cmake/release_archive.cmake then makes each
# again from what CPack staged, the same bytes from every build of the
# commit, and writes SHA256SUMS beside them.
string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" tovrand_platform)
set(CPACK_PACKAGE_VENDOR "the tovrand developers")
set(CPACK_GENERATOR "ZIP;TGZ")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_OUTPUT_FILE_PREFIX "${CMAKE_CURRENT_BINARY_DIR}")
set(CPACK_TOVRAND_ZIP_NAME "tovrand-${PROJECT_VERSION}-windows-x64")
set(CPACK_TOVRAND_TGZ_NAME "tovrand-${PROJECT_VERSION}-${tovrand_platform}")
set(CPACK_TOVRAND_ZIP_BUILD "${TOVRAND_WINDOWS_BUILD}")
set(CPACK_TOVRAND_TGZ_BUILD "${CMAKE_CURRENT_BINARY_DIR}")
set(CPACK_TOVRAND_SOURCE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE
  "${CMAKE_CURRENT_SOURCE_DIR}/cmake/package_config.cmake")
set(CPACK_POST_BUILD_SCRIPTS
  "${CMAKE_CURRENT_SOURCE_DIR}/cmake/release_archive.cmake")
include(CPack)
