# Runs qhost and compares what it prints, and what an export wrote, with a
# checked-in reference. With QHOST_UPDATE_GOLDEN=1 in the environment it
# writes the reference instead.
#
#   cmake -DQHOST=exe -DARGS="run|--crc|..." -DGOLDEN=file [-DEMULATOR=wine]
#         [-DEXPORT_DIR=folder] -P run_golden.cmake
#
# EXPORT_DIR is emptied first; afterwards each file in it is listed, a .txt
# file with its text and any other with its MD5.
string(REPLACE "|" ";" args "${ARGS}")
if(EXPORT_DIR)
  file(REMOVE_RECURSE "${EXPORT_DIR}")
  file(MAKE_DIRECTORY "${EXPORT_DIR}")
endif()
execute_process(COMMAND ${EMULATOR} ${QHOST} ${args}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "qhost exited with ${rc}:\n${err}")
endif()
if(EXPORT_DIR)
  file(GLOB exported RELATIVE "${EXPORT_DIR}" "${EXPORT_DIR}/*")
  list(SORT exported)
  foreach(f IN LISTS exported)
    if(f MATCHES "\\.txt$")
      file(READ "${EXPORT_DIR}/${f}" text)
      string(APPEND out "--- ${f}\n${text}")
    else()
      file(MD5 "${EXPORT_DIR}/${f}" md5)
      string(APPEND out "--- ${f} ${md5}\n")
    endif()
  endforeach()
endif()
string(REPLACE "\r\n" "\n" out "${out}")

if("$ENV{QHOST_UPDATE_GOLDEN}" STREQUAL "1")
  file(WRITE "${GOLDEN}" "${out}")
  message(STATUS "wrote ${GOLDEN}")
  return()
endif()
if(NOT EXISTS "${GOLDEN}")
  message(FATAL_ERROR "${GOLDEN} is missing; run this test with QHOST_UPDATE_GOLDEN=1 to write it")
endif()
file(READ "${GOLDEN}" want)
if(NOT out STREQUAL want)
  message(FATAL_ERROR "differs from ${GOLDEN}\n--- got\n${out}--- want\n${want}")
endif()
