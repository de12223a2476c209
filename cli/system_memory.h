// How much memory the machine has, for the default budget of a deep render.
#pragma once

#include <cstdint>

// The machine's physical memory in bytes; 0 when the system does not say.
std::uint64_t physical_memory_bytes();
