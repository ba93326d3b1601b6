# Runs after each CPack generator (CPACK_POST_BUILD_SCRIPTS): writes
# SHA256SUMS beside the archives, one line for each of the release's two
# archives that exists, in the form `sha256sum -c` reads. The archive just
# made is still in CPack's work folder (CPACK_PACKAGE_FILES) and reaches
# the output folder only after this script, under the same name.
set(lines "")
foreach(name IN ITEMS "${CPACK_TOVRAND_ZIP_NAME}.zip"
                      "${CPACK_TOVRAND_TGZ_NAME}.tar.gz")
  set(archive "${CPACK_OUTPUT_FILE_PREFIX}/${name}")
  foreach(made IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(made_name "${made}" NAME)
    if(made_name STREQUAL name)
      set(archive "${made}")
    endif()
  endforeach()
  if(EXISTS "${archive}")
    file(SHA256 "${archive}" hash)
    string(APPEND lines "${hash}  ${name}\n")
  endif()
endforeach()
file(WRITE "${CPACK_OUTPUT_FILE_PREFIX}/SHA256SUMS" "${lines}")
