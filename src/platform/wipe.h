#pragma once
// Overwriting memory that held secrets (key material) before it is given up.

#include <cstddef>

namespace platform {

// Sets the `size` bytes at `data` to zero in a way that the compiler may not
// leave out, even when the memory is never read again.
void WipeBytes(void* data, std::size_t size);

}  // namespace platform
