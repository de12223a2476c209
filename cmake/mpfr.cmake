# quellarin::mpfr: MPFR and the GMP beneath it (link order mpfr, then gmp).
#
# Natively they come from Debian's libmpfr-dev and libgmp-dev. For Windows
# Debian has no mingw-w64 build of either, so scripts/mingw-deps.sh makes
# static ones from Debian's sources of the same versions, and
# QUELLARIN_MINGW_DEPS names its prefix (by default the one the script uses
# by default, in the user's cache).
include_guard(GLOBAL)

if(CMAKE_CROSSCOMPILING AND WIN32)
  set(QUELLARIN_MINGW_DEPS "" CACHE PATH
      "Prefix made by scripts/mingw-deps.sh (static GMP and MPFR for mingw-w64)")
  set(_quellarin_deps "${QUELLARIN_MINGW_DEPS}")
  if(NOT _quellarin_deps)
    execute_process(
      COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/../scripts/mingw-deps.sh" --print-prefix
      OUTPUT_VARIABLE _quellarin_deps OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE _quellarin_status)
    if(NOT _quellarin_status EQUAL 0)
      set(_quellarin_deps "")
    endif()
  endif()
  # Plain paths rather than find_library: the toolchain file confines
  # searches to /usr/x86_64-w64-mingw32, and a cached find result would
  # outlive a change of prefix.
  set(_quellarin_missing "")
  foreach(_file include/gmp.h include/mpfr.h lib/libgmp.a lib/libmpfr.a mingw-deps.stamp)
    if(NOT _quellarin_deps OR NOT EXISTS "${_quellarin_deps}/${_file}")
      list(APPEND _quellarin_missing "${_file}")
    endif()
  endforeach()
  if(_quellarin_missing)
    # Without them the viewer still builds; quellarin-render and the deep
    # library wait until they are made (make test makes them first).
    message(STATUS
      "GMP and MPFR for mingw-w64 not found in '${_quellarin_deps}' (missing: ${_quellarin_missing}): "
      "quellarin-render is not built. Build them once with scripts/mingw-deps.sh [PREFIX] "
      "and pass -DQUELLARIN_MINGW_DEPS=PREFIX if you chose a PREFIX of your own.")
    return()
  endif()
  set(QUELLARIN_GMP_INCLUDE_DIR "${_quellarin_deps}/include")
  set(QUELLARIN_MPFR_INCLUDE_DIR "${_quellarin_deps}/include")
  set(QUELLARIN_GMP_LIBRARY "${_quellarin_deps}/lib/libgmp.a")
  set(QUELLARIN_MPFR_LIBRARY "${_quellarin_deps}/lib/libmpfr.a")
  message(STATUS "GMP and MPFR for mingw-w64: ${_quellarin_deps}")
else()
  find_path(QUELLARIN_GMP_INCLUDE_DIR gmp.h)
  find_path(QUELLARIN_MPFR_INCLUDE_DIR mpfr.h)
  find_library(QUELLARIN_GMP_LIBRARY gmp)
  find_library(QUELLARIN_MPFR_LIBRARY mpfr)
  if(NOT QUELLARIN_GMP_INCLUDE_DIR OR NOT QUELLARIN_MPFR_INCLUDE_DIR
     OR NOT QUELLARIN_GMP_LIBRARY OR NOT QUELLARIN_MPFR_LIBRARY)
    message(FATAL_ERROR
      "GMP and MPFR not found. On Debian install libmpfr-dev and libgmp-dev:\n"
      "  apt-get install libmpfr-dev libgmp-dev\n"
      "(or run scripts/ensure-packages.sh libmpfr-dev libgmp-dev).")
  endif()
endif()

# GLOBAL, so that every directory of the build can link them whichever
# CMakeLists.txt includes this file first.
add_library(quellarin::gmp UNKNOWN IMPORTED GLOBAL)
set_target_properties(quellarin::gmp PROPERTIES
  IMPORTED_LOCATION "${QUELLARIN_GMP_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${QUELLARIN_GMP_INCLUDE_DIR}")
add_library(quellarin::mpfr UNKNOWN IMPORTED GLOBAL)
set_target_properties(quellarin::mpfr PROPERTIES
  IMPORTED_LOCATION "${QUELLARIN_MPFR_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${QUELLARIN_MPFR_INCLUDE_DIR}"
  INTERFACE_LINK_LIBRARIES quellarin::gmp)
