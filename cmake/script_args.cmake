# For the scripts CMake runs with -P: stops the script with a message
# unless each variable named after VARS is set and each file named after
# FILES exists.
#   include(${CMAKE_CURRENT_LIST_DIR}/script_args.cmake)
#   require_script_args(VARS IN OUT FILES "${IN}")
function(require_script_args)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "VARS;FILES")
  get_filename_component(script "${CMAKE_SCRIPT_MODE_FILE}" NAME)
  foreach(var IN LISTS arg_VARS)
    if("${${var}}" STREQUAL "")
      message(FATAL_ERROR "${script}: ${var} is not set")
    endif()
  endforeach()
  foreach(file IN LISTS arg_FILES)
    if(NOT EXISTS "${file}")
      message(FATAL_ERROR "${script}: no file ${file}")
    endif()
  endforeach()
endfunction()
