# An editor that starts the server as `make -s -C <checkout> run` reads
# make's stdout as the protocol stream: it must carry the server's frames
# and nothing else. Sends initialize, shutdown and exit through that command
# and reads stdout back frame by frame.
#   cmake -DCHECKOUT=<dir> -DPRESET=<preset> -DWORK=<dir> -P run_session.cmake
# PRESET is that of the build under test, so `make run` finds its server
# built and only checks that it is.
set(session "")
foreach(body
    [=[{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"processId":null,"rootUri":null,"capabilities":{}}}]=]
    [=[{"jsonrpc":"2.0","id":2,"method":"shutdown","params":null}]=]
    [=[{"jsonrpc":"2.0","method":"exit","params":null}]=])
  string(LENGTH "${body}" length)
  string(APPEND session "Content-Length: ${length}\r\n\r\n${body}")
endforeach()
file(MAKE_DIRECTORY "${WORK}")
file(WRITE "${WORK}/session.in" "${session}")

# As an editor starts it: no make of its own around it.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MFLAGS --unset=MAKELEVEL
          make -s -C "${CHECKOUT}" run PRESET=${PRESET}
  INPUT_FILE "${WORK}/session.in"
  OUTPUT_FILE "${WORK}/session.out"
  ERROR_FILE "${WORK}/session.err"
  RESULT_VARIABLE status
  TIMEOUT 300)
file(READ "${WORK}/session.err" errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "make -s -C ${CHECKOUT} run exited with ${status}; its stderr:\n${errors}")
endif()

# Framing is checked on the bytes: file(READ) as text drops carriage returns.
set(stream_file "${WORK}/session.out")
file(READ "${stream_file}" stream HEX)
string(HEX "Content-Length: " prefix)
string(HEX "\r\n\r\n" blank)
set(offset 0)
set(answered "")
while(NOT stream STREQUAL "")
  if(NOT stream MATCHES "^${prefix}((3[0-9])+)${blank}")
    file(READ "${stream_file}" start OFFSET ${offset} LIMIT 200)
    message(FATAL_ERROR "stdout holds more than frames; from byte ${offset} on:\n${start}")
  endif()
  string(LENGTH "${CMAKE_MATCH_0}" header)
  string(REGEX REPLACE "3([0-9])" "\\1" length "${CMAKE_MATCH_1}")
  string(LENGTH "${stream}" left)
  math(EXPR header "${header} / 2")
  math(EXPR left "${left} / 2 - ${header}")
  if(left LESS length)
    message(FATAL_ERROR "the last frame announces ${length} bytes, ${left} came")
  endif()
  math(EXPR body_offset "${offset} + ${header}")
  file(READ "${stream_file}" body OFFSET ${body_offset} LIMIT ${length})
  math(EXPR offset "${body_offset} + ${length}")
  math(EXPR next "(${header} + ${length}) * 2")
  string(SUBSTRING "${stream}" ${next} -1 stream)

  string(JSON id ERROR_VARIABLE no_id GET "${body}" id)
  if(no_id)
    continue()  # a notification
  endif()
  list(APPEND answered ${id})
  if(id EQUAL 1)
    string(JSON capabilities ERROR_VARIABLE missing GET "${body}" result capabilities)
    if(missing)
      message(FATAL_ERROR "initialize answered without capabilities: ${body}")
    endif()
  endif()
endwhile()
if(NOT answered STREQUAL "1;2")
  message(FATAL_ERROR "answers to ids '${answered}', expected 1 and 2")
endif()
message(STATUS "only frames on stdout; initialize and shutdown answered")
