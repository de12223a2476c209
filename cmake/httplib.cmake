# quellarin::httplib: cpp-httplib, the single header from Debian 12's source
# package (scripts/httplib-source.sh fetches and checks it once per machine,
# into the user's cache), with the server's limits.
include_guard(GLOBAL)

set(QUELLARIN_HTTPLIB "" CACHE PATH "Prefix made by scripts/httplib-source.sh (include/httplib.h)")
set(_quellarin_httplib "${QUELLARIN_HTTPLIB}")
if(NOT _quellarin_httplib)
  execute_process(
    COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/../scripts/httplib-source.sh"
    OUTPUT_VARIABLE _quellarin_httplib OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_VARIABLE _quellarin_httplib_log
    RESULT_VARIABLE _quellarin_status)
  if(NOT _quellarin_status EQUAL 0)
    message(FATAL_ERROR "cpp-httplib could not be fetched: ${_quellarin_httplib_log}")
  endif()
endif()
if(NOT EXISTS "${_quellarin_httplib}/include/httplib.h")
  message(FATAL_ERROR "no httplib.h in ${_quellarin_httplib}; run scripts/httplib-source.sh")
endif()

add_library(quellarin::httplib INTERFACE IMPORTED GLOBAL)
target_include_directories(quellarin::httplib SYSTEM INTERFACE "${_quellarin_httplib}/include")
# A query of 512 KiB is the most the server takes (a centre of 100000
# digits and more fits); the request line holds the query and the path.
target_compile_definitions(quellarin::httplib INTERFACE CPPHTTPLIB_REQUEST_URI_MAX_LENGTH=525312)
# An image's last chunk goes at once, not after the client's delayed ACK.
target_compile_definitions(quellarin::httplib INTERFACE CPPHTTPLIB_TCP_NODELAY=true)
if(WIN32)
  target_link_libraries(quellarin::httplib INTERFACE ws2_32)
else()
  # poll(2) has no limit on the descriptor's number, as select(2) has.
  target_compile_definitions(quellarin::httplib INTERFACE CPPHTTPLIB_USE_POLL)
endif()
