// Published single-block vectors through a bulk kernel: 67 copies of the block
// at once, unaligned and in place, so a vector path's full-width loop and its
// tail both meet the vector. Every copy must come out the same.
#pragma once

#include "vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

namespace kvntest {

template <class Run>
Bytes through_bulk(const Bytes& block, Run run)
{
    constexpr std::size_t kCopies = 67;
    const std::size_t n = block.size();
    Bytes buffer(1 + n * kCopies);
    std::uint8_t* data = buffer.data() + 1;
    for (std::size_t i = 0; i < kCopies; ++i)
        std::copy(block.begin(), block.end(), data + i * n);
    run(data, data, kCopies);
    for (std::size_t i = 1; i < kCopies; ++i)
        if (!std::equal(data, data + n, data + i * n)) {
            ADD_FAILURE() << "copy " << i << " of " << kCopies << " differs from the first";
            break;
        }
    return Bytes(data, data + n);
}

} // namespace kvntest
