# Runs after each CPack generator (CPACK_POST_BUILD_SCRIPTS), before
# write_checksums.cmake: makes the archive CPack just made again, from what
# CPack staged for it, so that every build of a commit gives the same bytes,
# whoever builds it, in whatever folder, at whatever time. CPack's own
# archives carry the builder's user and group, and its zip the files'
# access and change times. These hold:
#  - the files only, in byte order of their names, under the one folder
#    named like the archive;
#  - permissions 0755 for programs and scripts, 0644 for the rest;
#  - one time for every file: SOURCE_DATE_EPOCH when it is set, else the
#    time of the source tree's last commit;
#  - in the tarball (GNU tar, ustar), owner and group 0 with no names, and
#    a gzip header with no name and no time (gzip -n);
#  - in the zip (Info-ZIP zip -X), no extra fields: no owner, no times but
#    the DOS one, written in UTC.

cmake_minimum_required(VERSION 3.25)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${epoch}\": it must be a"
      " time in seconds since 1970")
  endif()
else()
  execute_process(
    COMMAND git -C "${CPACK_TOVRAND_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch ERROR_VARIABLE git_error RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "The release's files take the time of its commit,"
      " and git found none in ${CPACK_TOVRAND_SOURCE_DIR} (${status}:"
      " ${git_error}): build from a git clone, or set SOURCE_DATE_EPOCH")
  endif()
endif()

# The folder CPack staged the archive's one folder in, and that folder.
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
get_filename_component(top "${staged}" DIRECTORY)
get_filename_component(folder "${staged}" NAME)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${top}"
  "${staged}/*")
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "CPack staged nothing in ${staged}")
endif()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${top}"
    RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command}: ${status}: ${error}")
  endif()
endfunction()

run(chmod -R u=rwX,go=rX "${folder}")
run(touch -h -d "@${epoch}" ${files} "${folder}")

list(LENGTH CPACK_PACKAGE_FILES count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "CPack made ${count} files, not one archive:"
    " ${CPACK_PACKAGE_FILES}")
endif()
set(archive "${CPACK_PACKAGE_FILES}")
set(made "${archive}.reproducible")
file(REMOVE "${made}")
if(CPACK_GENERATOR STREQUAL "TGZ")
  execute_process(
    COMMAND tar --create --format=ustar --no-recursion --owner=0 --group=0
      --numeric-owner "--mtime=@${epoch}" --file=- ${files}
    COMMAND gzip -n -9
    WORKING_DIRECTORY "${top}" OUTPUT_FILE "${made}"
    RESULTS_VARIABLE statuses ERROR_VARIABLE error)
  if(NOT statuses STREQUAL "0;0")
    message(FATAL_ERROR "tar | gzip: ${statuses}: ${error}")
  endif()
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  run(${CMAKE_COMMAND} -E env TZ=UTC zip -X -9 -q "${made}" ${files})
else()
  message(FATAL_ERROR "No reproducible archive for ${CPACK_GENERATOR}")
endif()
file(RENAME "${made}" "${archive}")
