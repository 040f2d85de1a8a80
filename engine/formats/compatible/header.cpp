// Header block and length marker of the compatible file format.
#include "engine/formats/compatible/header.h"

#include <cstring>

namespace compatible {

unsigned char marker_for(std::uint64_t length, unsigned block)
{
    const unsigned r = unsigned(length % block);
    return r == 0 ? '3' : static_cast<unsigned char>(0x50 - r);
}

unsigned padding_for(unsigned char marker, unsigned block)
{
    if (block == 16 && marker >= 'A' && marker <= 'O')
        return marker - 0x40u;
    if (block == 8 && marker >= 'I' && marker <= 'O')
        return marker - 0x48u;
    return 0;
}

void build_header(unsigned char* out, const char* text, unsigned block, unsigned char marker)
{
    std::memcpy(out, text, block - 1);
    out[block - 1] = marker;
}

bool header_matches(const unsigned char* block, const char* text, unsigned blockSize)
{
    return std::memcmp(block, text, blockSize - 1) == 0;
}

} // namespace compatible
