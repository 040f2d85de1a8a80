// Wiping secrets so that the compiler cannot drop the stores.
#pragma once

#include <cstddef>

namespace tessiral {

void secure_zero(void* p, std::size_t n) noexcept;

template <typename T> void secure_zero_object(T& object) noexcept
{
    secure_zero(&object, sizeof object);
}

} // namespace tessiral
