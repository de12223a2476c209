// Where a worker keeps its lanes' data: on its own stack, aligned to a
// cache line, so that a whole 64-byte vector never straddles two.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>

inline constexpr std::size_t LANE_ALIGNMENT = 64;

// One T (plain arrays of lane data, declared alignas(LANE_ALIGNMENT)) in
// storage of this object. The Windows x64 ABI aligns the stack to 16 bytes
// only, and GCC for mingw-w64 does not realign it for wider types, so the
// object is placed by hand rather than by alignas alone.
template <class T>
class aligned_lanes {
    static_assert(std::is_trivially_destructible_v<T>, "the lanes are never destroyed");

public:
    aligned_lanes()
    {
        void* place = storage_;
        std::size_t room = sizeof storage_;
        value_ = new (std::align(LANE_ALIGNMENT, sizeof(T), place, room)) T;
    }
    aligned_lanes(const aligned_lanes&) = delete;
    aligned_lanes& operator=(const aligned_lanes&) = delete;

    T& get() { return *value_; }

private:
    unsigned char storage_[sizeof(T) + LANE_ALIGNMENT];
    T* value_;
};
