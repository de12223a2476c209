# Tests of the fast renderer: every vector path against the definition.
add_executable(fast_render_tests fast_render_test.cpp)
target_link_libraries(fast_render_tests PRIVATE quellarin_engine ${QUELLARIN_GTEST})
quellarin_test_program(fast_render_tests)
if(CMAKE_CROSSCOMPILING)
  add_test(NAME wine.fast_render_tests COMMAND fast_render_tests)
else()
  gtest_discover_tests(fast_render_tests)
endif()

# The machine code of the engine and of the deep library: no FMA (the
# vector loops' counts are the scalar loops' only if every multiply and add
# rounds on its own); for Windows, no aligned vector moves
# (-muse-unaligned-vector-move turns them into unaligned ones).
if(CMAKE_OBJDUMP AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
  set(unaligned "")
  if(MINGW)
    set(unaligned --unaligned)
  endif()
  add_test(NAME engine_code COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/engine_code_test.sh ${CMAKE_OBJDUMP}
           $<TARGET_FILE:quellarin_engine> ${unaligned})
  if(TARGET quellarin_deep)
    add_test(NAME deep_code COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/engine_code_test.sh ${CMAKE_OBJDUMP}
             $<TARGET_FILE:quellarin_deep> ${unaligned})
  endif()
endif()
