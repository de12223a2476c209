// The instruction set of one vector unit's file: each such file defines
// LANE_TARGET (e.g. "avx2") before including this. Only the functions that
// handle vectors are compiled for it, by a target attribute per function
// that both GCC and clang honour, so the file's other code stays baseline
// and no per-file architecture flags are needed (none may add FMA).
#pragma once

#ifndef LANE_TARGET
#error "define LANE_TARGET, the instruction set of the file's lanes, before including lane_target.h"
#endif
#define LANE_FUNCTION [[gnu::target(LANE_TARGET)]]
#define LANE_INLINE [[gnu::always_inline, gnu::target(LANE_TARGET)]]
