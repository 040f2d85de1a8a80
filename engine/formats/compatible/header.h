// The compatible file format: a header block (the fixed text and a length
// marker, encrypted), then the data in B-byte blocks, the last one padded
// with zeros. No length field, no IV, no checksum.
#pragma once

#include <cstdint>

namespace compatible {

// The marker recording r = length mod B: "3" for 0, else the character 0x50 - r.
unsigned char marker_for(std::uint64_t length, unsigned block);
// How many zero bytes the last block carries, by its marker.
unsigned padding_for(unsigned char marker, unsigned block);
// The plain header block: the cipher's header text, then the marker.
void build_header(unsigned char* out, const char* text, unsigned block, unsigned char marker);
// Whether a decrypted header block carries the header text.
bool header_matches(const unsigned char* block, const char* text, unsigned blockSize);

} // namespace compatible
