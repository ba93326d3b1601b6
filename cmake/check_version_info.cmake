# Checks that a Windows executable carries its version resource: the fixed
# part (signature 0xFEEF04BD, then the file and product versions as numbers)
# and the strings Explorer shows, each as its UTF-16LE key and value.
#   cmake -DEXE=tovrand.exe -DVERSION=1.0.0 -DPROGRAM=tovrand
#         "-DDESCRIPTION=..." "-DCOPYRIGHT=..." -P check_version_info.cmake

cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/script_args.cmake)
require_script_args(VARS EXE VERSION PROGRAM DESCRIPTION COPYRIGHT
                    FILES "${EXE}")
file(READ "${EXE}" hex HEX)

# The offset in `hex` of `pattern` at a whole byte (an even offset), or -1.
function(find_bytes hex pattern out)
  set(rest "${hex}")
  set(skipped 0)
  while(TRUE)
    string(FIND "${rest}" "${pattern}" at)
    if(at EQUAL -1)
      set(${out} -1 PARENT_SCOPE)
      return()
    endif()
    math(EXPR odd "${at} % 2")
    if(odd EQUAL 0)
      math(EXPR found "${skipped} + ${at}")
      set(${out} ${found} PARENT_SCOPE)
      return()
    endif()
    math(EXPR next "${at} + 1")
    string(SUBSTRING "${rest}" ${next} -1 rest)
    math(EXPR skipped "${skipped} + ${next}")
  endwhile()
endfunction()

# A 32-bit little-endian word in hex.
function(word_hex value out)
  math(EXPR value "${value}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${value}" 2 -1 digits)
  string(LENGTH "${digits}" length)
  while(length LESS 8)
    string(PREPEND digits "0")
    math(EXPR length "${length} + 1")
  endwhile()
  string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" digits "${digits}")
  string(TOLOWER "${digits}" digits)
  set(${out} "${digits}" PARENT_SCOPE)
endfunction()

# `text` (ASCII) in UTF-16LE, in hex.
function(utf16_hex text out)
  string(HEX "${text}" bytes)
  string(REGEX REPLACE "(..)" "\\100" wide "${bytes}")
  set(${out} "${wide}" PARENT_SCOPE)
endfunction()

# VS_FIXEDFILEINFO: signature, structure version 1.0, then FileVersionMS/LS
# and ProductVersionMS/LS, each major * 65536 + minor.
string(REPLACE "." ";" numbers "${VERSION}")
list(APPEND numbers 0 0 0 0)
list(GET numbers 0 major)
list(GET numbers 1 minor)
list(GET numbers 2 patch)
list(GET numbers 3 tweak)
math(EXPR ms "${major} * 65536 + ${minor}")
math(EXPR ls "${patch} * 65536 + ${tweak}")
word_hex(${ms} ms_hex)
word_hex(${ls} ls_hex)
set(fixed "bd04effe00000100${ms_hex}${ls_hex}${ms_hex}${ls_hex}")
find_bytes("${hex}" "${fixed}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${EXE}: no VS_FIXEDFILEINFO of version ${VERSION}"
    " (signature 0xFEEF04BD followed by ${major},${minor},${patch},${tweak})")
endif()

# Each string: its key, the key's terminating zero, at most one zero unit
# of padding, then the value and its terminating zero.
set(failures "")
foreach(pair IN ITEMS
    "ProductName=tovrand"
    "FileDescription=${DESCRIPTION}"
    "FileVersion=${VERSION}"
    "ProductVersion=${VERSION}"
    "LegalCopyright=${COPYRIGHT}"
    "OriginalFilename=${PROGRAM}.exe"
    "InternalName=${PROGRAM}")
  string(FIND "${pair}" "=" equals)
  string(SUBSTRING "${pair}" 0 ${equals} key)
  math(EXPR value_start "${equals} + 1")
  string(SUBSTRING "${pair}" ${value_start} -1 value)
  utf16_hex("${key}" key_hex)
  utf16_hex("${value}" value_hex)
  find_bytes("${hex}" "${key_hex}0000${value_hex}0000" plain)
  find_bytes("${hex}" "${key_hex}00000000${value_hex}0000" padded)
  if(plain EQUAL -1 AND padded EQUAL -1)
    list(APPEND failures "${key} is not \"${value}\"")
  endif()
endforeach()
if(failures)
  string(REPLACE ";" "; " failures "${failures}")
  message(FATAL_ERROR "${EXE}: version strings wrong: ${failures}")
endif()
message(STATUS "${EXE} carries version ${VERSION} and its strings")
