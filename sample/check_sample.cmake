# Checks that the committed sample data is exactly what make_sample writes.
# Run in script mode:
#   cmake -DMAKE_SAMPLE=<make_sample> -DSAMPLE_DIR=<repo>/sample/data
#         -DWORK_DIR=<scratch dir> -P check_sample.cmake
# WORK_DIR is removed and generated afresh. To bring sample/data up to date
# after changing the generator: build/default/make_sample sample/data

foreach(var MAKE_SAMPLE SAMPLE_DIR WORK_DIR)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "check_sample.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND "${MAKE_SAMPLE}" "${WORK_DIR}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make_sample failed (${status}):\n${output}")
endif()
if(NOT IS_DIRECTORY "${WORK_DIR}/Output")
  message(FATAL_ERROR "make_sample did not create ${WORK_DIR}/Output")
endif()
if(NOT EXISTS "${SAMPLE_DIR}/Output/.gitkeep")
  message(FATAL_ERROR "${SAMPLE_DIR}/Output/.gitkeep is missing; "
                      "tovrand needs the Output directory to exist")
endif()

foreach(name Tables.ini FPools.txt AlsTeams.txt GETeams.txt)
  if(NOT EXISTS "${SAMPLE_DIR}/${name}")
    message(FATAL_ERROR "${SAMPLE_DIR}/${name} is missing")
  endif()
  if(NOT EXISTS "${WORK_DIR}/${name}")
    message(FATAL_ERROR "make_sample did not write ${name}")
  endif()
  execute_process(
    COMMAND "${CMAKE_COMMAND}" -E compare_files
            "${SAMPLE_DIR}/${name}" "${WORK_DIR}/${name}"
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR
      "${SAMPLE_DIR}/${name} differs from what make_sample writes "
      "(${WORK_DIR}/${name}). Regenerate the sample with: "
      "make_sample ${SAMPLE_DIR}")
  endif()
endforeach()

message(STATUS "sample data matches make_sample")
