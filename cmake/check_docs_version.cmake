# Checks that the package names the readmes give as examples
# (tovrand-<version>-windows-x64.zip and the like) all name this version.
#   cmake -DVERSION=1.1.0 "-DDOCS=README.md;release/README.txt"
#         -P check_docs_version.cmake

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/script_args.cmake)
require_script_args(VARS VERSION DOCS FILES ${DOCS})
set(failures "")
foreach(doc IN LISTS DOCS)
  file(READ "${doc}" text)
  string(REGEX MATCHALL "tovrand-[0-9]+\\.[0-9]+\\.[0-9]+-" names "${text}")
  if(NOT names)
    list(APPEND failures "${doc} names no package")
  endif()
  foreach(name IN LISTS names)
    if(NOT name STREQUAL "tovrand-${VERSION}-")
      list(APPEND failures "${doc} names ${name}")
    endif()
  endforeach()
endforeach()
if(failures)
  list(REMOVE_DUPLICATES failures)
  string(REPLACE ";" "; " failures "${failures}")
  message(FATAL_ERROR "The version is ${VERSION}, but ${failures}")
endif()
