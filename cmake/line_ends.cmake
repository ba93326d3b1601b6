# Copies a text file with every line ending in LF or in CR LF, whatever the
# line ends of the source (a checkout may have either), and @COMMIT@ in it
# replaced with the text of COMMIT_FILE (cmake/commit.cmake). Run in script
# mode:
#   cmake -DIN=<source> -DOUT=<copy> -DLINE_END=LF|CRLF
#         -DCOMMIT_FILE=<commit.txt> -P line_ends.cmake

cmake_minimum_required(VERSION 3.25)


file(READ "${IN}" text)
file(READ "${COMMIT_FILE}" commit)
string(REPLACE "@COMMIT@" "${commit}" text "${text}")
string(REPLACE "\r\n" "\n" text "${text}")
if(NOT text MATCHES "\n$")
  string(APPEND text "\n")
endif()
if(LINE_END STREQUAL "CRLF")
  string(REPLACE "\n" "\r\n" text "${text}")
elseif(NOT LINE_END STREQUAL "LF")
  message(FATAL_ERROR "line_ends.cmake: LINE_END is LF or CRLF, not ${LINE_END}")
endif()
file(WRITE "${OUT}" "${text}")
