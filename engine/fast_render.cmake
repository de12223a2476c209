# Sources of the fast renderer. The instruction-set files give their kernel
# functions a target attribute of their own, so no per-file architecture
# flags are needed (and none may add FMA).
target_sources(quellarin_engine PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/fast_render.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fast_render_sse2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fast_render_avx2.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fast_render_avx512.cpp
)
