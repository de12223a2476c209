# Tests of the fast renderer: every vector path against the definition.
add_executable(fast_render_tests fast_render_test.cpp)
target_link_libraries(fast_render_tests PRIVATE quellarin_engine ${QUELLARIN_GTEST})
if(CMAKE_CROSSCOMPILING)
  add_test(NAME wine.fast_render_tests COMMAND fast_render_tests)
else()
  gtest_discover_tests(fast_render_tests)
endif()
