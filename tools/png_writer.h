// PNG files written from scratch: 8-bit RGBA, each row with the filter that
// suits it best, compressed by a deflate encoder of our own. The same pixels
// give the same bytes on every machine, which a library's encoder does not
// promise across its versions.
#pragma once

#include <cstdint>
#include <vector>

// A complete PNG file of width by height RGBA pixels, top row first.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

// The zlib stream (RFC 1950) of a deflate compression (RFC 1951) of data.
std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& data);

// Huffman code lengths for symbols of these frequencies, none longer than
// `limit` bits (deflate allows 15, and 7 for the code-length code); zero for
// symbols that do not occur.
std::vector<int> HuffmanCodeLengths(std::vector<std::uint32_t> frequencies, int limit);
