# CPack reads this once for each generator (CPACK_PROJECT_CONFIG_FILE): the
# zip packages the Windows sub-build, the tarball this build, each under one
# folder named like the archive.
set(CPACK_PACKAGE_FILE_NAME "${CPACK_TOVRAND_${CPACK_GENERATOR}_NAME}")
set(CPACK_INSTALL_CMAKE_PROJECTS "${CPACK_TOVRAND_${CPACK_GENERATOR}_BUILD};tovrand;ALL;/")
