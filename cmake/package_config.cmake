# CPack reads this once for each generator (CPACK_PROJECT_CONFIG_FILE): the
# archive of each platform packages that platform's build, under one folder
# named like the archive.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_TOVRAND_ZIP_NAME}")
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CPACK_TOVRAND_WINDOWS_BUILD};tovrand;ALL;/")
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_TOVRAND_TGZ_NAME}")
  set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CPACK_TOVRAND_NATIVE_BUILD};tovrand;ALL;/")
else()
  message(FATAL_ERROR "The release is packaged with ZIP (Windows) and TGZ"
    " (Linux), not ${CPACK_GENERATOR}")
endif()
