# Runs after each CPack generator (CPACK_POST_BUILD_SCRIPTS): makes the
# archive CPack just made again from what it staged, the same bytes from
# every build of a commit, by anyone, anywhere, at any time (CPack's own
# carry the builder's user and group, its zip the access and change times):
#  - the files only, in byte order of their names, under one folder named
#    like the archive; 0755 for programs and scripts, 0644 for the rest;
#  - one time for every file: SOURCE_DATE_EPOCH when set, else the time of
#    the source tree's last commit;
#  - the tarball (GNU tar, ustar) with owner and group 0 and no names, and
#    gzip -n (no name, no time); the zip (Info-ZIP zip -X) with no extra
#    fields: no owner, no times but the DOS one, in UTC.
# Then writes SHA256SUMS beside the archives.
cmake_minimum_required(VERSION 3.25)

set(epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C "${CPACK_TOVRAND_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE epoch ERROR_VARIABLE git_error OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(FATAL_ERROR "The release's files take the time of its commit, and"
    " git found none in ${CPACK_TOVRAND_SOURCE_DIR} (${git_error}): build from"
    " a git clone, or set SOURCE_DATE_EPOCH to seconds since 1970, not \"${epoch}\"")
endif()

# The folder CPack staged the archive's one folder in, and that folder.
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
get_filename_component(top "${staged}" DIRECTORY)
get_filename_component(folder "${staged}" NAME)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${top}" "${staged}/*")
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

# SHA256SUMS beside the archives, one line for each of the two that exists,
# as `sha256sum -c` reads it. The archive just made is still in CPack's
# work folder, and reaches the output folder under the same name.
get_filename_component(made_name "${archive}" NAME)
set(lines "")
foreach(name IN ITEMS "${CPACK_TOVRAND_ZIP_NAME}.zip" "${CPACK_TOVRAND_TGZ_NAME}.tar.gz")
  set(path "${CPACK_OUTPUT_FILE_PREFIX}/${name}")
  if(name STREQUAL made_name)
    set(path "${archive}")
  endif()
  if(EXISTS "${path}")
    file(SHA256 "${path}" hash)
    string(APPEND lines "${hash}  ${name}\n")
  endif()
endforeach()
file(WRITE "${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS" "${lines}")
