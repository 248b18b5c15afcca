// PNG (8-bit RGBA) and the deflate encoder under it: LZ77 matching over hash
// chains with one step of lazy evaluation, then dynamic Huffman blocks whose
// code lengths are limited by halving the frequencies until they fit.
// Nothing here depends on the order of an unordered container or on the
// library's sort, so the output is fixed by the input alone.
#include "tools/png_writer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// ---- Bits, least significant first, as deflate packs them ----

class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void Put(std::uint32_t bits, int count) {
    buffer_ |= static_cast<std::uint64_t>(bits) << used_;
    used_ += count;
    while (used_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFFu));
      buffer_ >>= 8;
      used_ -= 8;
    }
  }

  // Huffman codes go out most significant bit first.
  void PutCode(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Put(reversed, length);
  }

  void Flush() {
    if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(buffer_ & 0xFFu));
    buffer_ = 0;
    used_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint64_t buffer_ = 0;
  int used_ = 0;
};

// ---- The fixed tables of RFC 1951 ----

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                   33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                   1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which the code-length code's own lengths are sent.
constexpr int kCodeLengthOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                      11, 4,  12, 3, 13, 2, 14, 1, 15};

constexpr int kWindow = 32768;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kMaxChain = 128;                // candidates tried per position
constexpr std::size_t kBlockSymbols = 32768;  // symbols per Huffman block

template <std::size_t N>
int IndexOf(const int (&bases)[N], int value) {
  int index = 0;
  while (index + 1 < static_cast<int>(N) && bases[index + 1] <= value) ++index;
  return index;
}

// ---- LZ77 ----

// A literal byte (length 0) or a copy of length bytes from distance back.
struct Token {
  std::uint16_t length;
  std::uint16_t value;  // the byte, or the distance
};

class Matcher {
 public:
  explicit Matcher(const std::vector<std::uint8_t>& data)
      : data_(data), head_(1u << 15, 0), previous_(data.size(), 0) {}

  struct Match {
    int length = 0;
    int distance = 0;
  };

  // The longest earlier copy of the bytes at position, within the window.
  Match Find(std::size_t position) {
    InsertBefore(position);
    Match best;
    if (position + kMinMatch > data_.size()) return best;
    const std::size_t limit =
        data_.size() - position < kMaxMatch ? data_.size() - position : kMaxMatch;
    std::uint32_t candidate = head_[Hash(position)];  // position + 1, or 0 for none
    for (int chain = 0; candidate != 0 && chain < kMaxChain; ++chain) {
      const std::size_t from = candidate - 1;
      if (position - from > static_cast<std::size_t>(kWindow)) break;
      std::size_t length = 0;
      while (length < limit && data_[from + length] == data_[position + length]) ++length;
      if (static_cast<int>(length) > best.length) {
        best.length = static_cast<int>(length);
        best.distance = static_cast<int>(position - from);
        if (length == limit) break;
      }
      candidate = previous_[from];
    }
    if (best.length < kMinMatch) best = Match{};
    return best;
  }

 private:
  std::uint32_t Hash(std::size_t at) const {
    return ((static_cast<std::uint32_t>(data_[at]) << 10) ^
            (static_cast<std::uint32_t>(data_[at + 1]) << 5) ^ data_[at + 2]) &
           0x7FFFu;
  }

  // Every position before `position` that starts three bytes joins its chain,
  // once.
  void InsertBefore(std::size_t position) {
    for (; inserted_ < position && inserted_ + kMinMatch <= data_.size(); ++inserted_) {
      const std::uint32_t hash = Hash(inserted_);
      previous_[inserted_] = head_[hash];
      head_[hash] = static_cast<std::uint32_t>(inserted_ + 1);
    }
  }

  const std::vector<std::uint8_t>& data_;
  std::vector<std::uint32_t> head_;
  std::vector<std::uint32_t> previous_;
  std::size_t inserted_ = 0;
};

std::vector<Token> Tokenize(const std::vector<std::uint8_t>& data) {
  std::vector<Token> tokens;
  Matcher matcher(data);
  std::size_t position = 0;
  while (position < data.size()) {
    const Matcher::Match match = matcher.Find(position);
    if (match.length == 0) {
      tokens.push_back({0, data[position]});
      ++position;
      continue;
    }
    // A longer copy from the next byte on is worth one more literal.
    if (position + 1 < data.size() && matcher.Find(position + 1).length > match.length) {
      tokens.push_back({0, data[position]});
      ++position;
      continue;
    }
    tokens.push_back(
        {static_cast<std::uint16_t>(match.length), static_cast<std::uint16_t>(match.distance)});
    position += static_cast<std::size_t>(match.length);
  }
  return tokens;
}

// ---- Huffman codes ----

}  // namespace

// The tree is built with two queues (leaves sorted by frequency, then by
// symbol; the inner nodes in the order they are made), so ties are always
// broken alike.
std::vector<int> HuffmanCodeLengths(std::vector<std::uint32_t> frequencies, int limit) {
  const std::size_t count = frequencies.size();
  for (;;) {
    std::vector<std::size_t> leaves;
    for (std::size_t i = 0; i < count; ++i)
      if (frequencies[i] > 0) leaves.push_back(i);
    // Insertion sort: stable and fixed, on at most 288 symbols.
    for (std::size_t i = 1; i < leaves.size(); ++i) {
      const std::size_t symbol = leaves[i];
      std::size_t j = i;
      while (j > 0 && frequencies[leaves[j - 1]] > frequencies[symbol]) {
        leaves[j] = leaves[j - 1];
        --j;
      }
      leaves[j] = symbol;
    }

    std::vector<int> lengths(count, 0);
    if (leaves.size() == 1) lengths[leaves[0]] = 1;
    if (leaves.size() <= 1) return lengths;

    // Nodes 0 .. leaves-1 are the leaves in sorted order; inner nodes follow.
    std::vector<std::uint64_t> weight;
    for (std::size_t symbol : leaves) weight.push_back(frequencies[symbol]);
    std::vector<std::size_t> parent(2 * leaves.size() - 1, 0);
    std::size_t nextLeaf = 0;
    std::size_t nextInner = leaves.size();
    auto take = [&]() {
      const bool leafFirst = nextLeaf < leaves.size() &&
                             (nextInner >= weight.size() || weight[nextLeaf] <= weight[nextInner]);
      return leafFirst ? nextLeaf++ : nextInner++;
    };
    while (weight.size() < parent.size()) {
      const std::size_t a = take();
      const std::size_t b = take();
      parent[a] = parent[b] = weight.size();
      weight.push_back(weight[a] + weight[b]);
    }

    // Depths from the root (the last node) down.
    std::vector<int> depth(parent.size(), 0);
    int deepest = 0;
    for (std::size_t node = parent.size() - 1; node-- > 0;) {
      depth[node] = depth[parent[node]] + 1;
      if (node < leaves.size() && depth[node] > deepest) deepest = depth[node];
    }
    if (deepest <= limit) {
      for (std::size_t i = 0; i < leaves.size(); ++i) lengths[leaves[i]] = depth[i];
      return lengths;
    }
    // Flatten the distribution and try again; every symbol keeps a code.
    for (std::uint32_t& f : frequencies)
      if (f > 0) f = (f >> 1) | 1u;
  }
}

namespace {

// Canonical codes for the lengths (RFC 1951, 3.2.2).
std::vector<std::uint32_t> Codes(const std::vector<int>& lengths) {
  int longest = 0;
  for (int length : lengths)
    if (length > longest) longest = length;
  std::vector<std::uint32_t> perLength(static_cast<std::size_t>(longest) + 1, 0);
  for (int length : lengths)
    if (length > 0) ++perLength[static_cast<std::size_t>(length)];
  std::vector<std::uint32_t> next(perLength.size() + 1, 0);
  std::uint32_t code = 0;
  for (std::size_t bits = 1; bits < perLength.size(); ++bits) {
    code = (code + perLength[bits - 1]) << 1;
    next[bits] = code;
  }
  std::vector<std::uint32_t> codes(lengths.size(), 0);
  for (std::size_t i = 0; i < lengths.size(); ++i)
    if (lengths[i] > 0) codes[i] = next[static_cast<std::size_t>(lengths[i])]++;
  return codes;
}

// Makes sure a tree has at least two codes, which inflaters expect of a
// complete code.
void GiveTwoSymbols(std::vector<std::uint32_t>& frequencies) {
  std::size_t used = 0;
  for (std::uint32_t f : frequencies)
    if (f > 0) ++used;
  for (std::size_t i = 0; used < 2 && i < frequencies.size(); ++i) {
    if (frequencies[i] == 0) {
      frequencies[i] = 1;
      ++used;
    }
  }
}

// ---- Blocks ----

// One item of the run-length coded list of code lengths.
struct LengthItem {
  int symbol;  // 0-15 a length; 16 repeat the last, 17 and 18 zeros
  int extra;
};

std::vector<LengthItem> RunLengths(const std::vector<int>& lengths) {
  std::vector<LengthItem> items;
  std::size_t i = 0;
  while (i < lengths.size()) {
    const int length = lengths[i];
    std::size_t run = 1;
    while (i + run < lengths.size() && lengths[i + run] == length) ++run;
    i += run;
    if (length == 0) {
      while (run >= 11) {
        const std::size_t take = run < 138 ? run : 138;
        items.push_back({18, static_cast<int>(take - 11)});
        run -= take;
      }
      if (run >= 3) {
        items.push_back({17, static_cast<int>(run - 3)});
        run = 0;
      }
    } else {
      items.push_back({length, 0});
      --run;
      while (run >= 3) {
        const std::size_t take = run < 6 ? run : 6;
        items.push_back({16, static_cast<int>(take - 3)});
        run -= take;
      }
    }
    for (; run > 0; --run) items.push_back({length, 0});
  }
  return items;
}

void WriteBlock(BitWriter& bits, const Token* tokens, std::size_t count, bool last) {
  std::vector<std::uint32_t> literalFrequencies(286, 0);
  std::vector<std::uint32_t> distanceFrequencies(30, 0);
  for (std::size_t i = 0; i < count; ++i) {
    const Token& token = tokens[i];
    if (token.length == 0) {
      ++literalFrequencies[token.value];
    } else {
      ++literalFrequencies[257 + static_cast<std::size_t>(IndexOf(kLengthBase, token.length))];
      ++distanceFrequencies[static_cast<std::size_t>(IndexOf(kDistanceBase, token.value))];
    }
  }
  literalFrequencies[256] = 1;  // end of block
  GiveTwoSymbols(literalFrequencies);
  GiveTwoSymbols(distanceFrequencies);

  const std::vector<int> literalLengths = HuffmanCodeLengths(literalFrequencies, 15);
  const std::vector<int> distanceLengths = HuffmanCodeLengths(distanceFrequencies, 15);
  const std::vector<std::uint32_t> literalCodes = Codes(literalLengths);
  const std::vector<std::uint32_t> distanceCodes = Codes(distanceLengths);

  std::size_t literalCount = 286;
  while (literalCount > 257 && literalLengths[literalCount - 1] == 0) --literalCount;
  std::size_t distanceCount = 30;
  while (distanceCount > 1 && distanceLengths[distanceCount - 1] == 0) --distanceCount;

  std::vector<int> allLengths(literalLengths.begin(),
                              literalLengths.begin() + static_cast<std::ptrdiff_t>(literalCount));
  allLengths.insert(allLengths.end(), distanceLengths.begin(),
                    distanceLengths.begin() + static_cast<std::ptrdiff_t>(distanceCount));
  const std::vector<LengthItem> items = RunLengths(allLengths);
  std::vector<std::uint32_t> itemFrequencies(19, 0);
  for (const LengthItem& item : items) ++itemFrequencies[static_cast<std::size_t>(item.symbol)];
  GiveTwoSymbols(itemFrequencies);
  const std::vector<int> itemLengths = HuffmanCodeLengths(itemFrequencies, 7);
  const std::vector<std::uint32_t> itemCodes = Codes(itemLengths);
  std::size_t itemLengthCount = 19;
  while (itemLengthCount > 4 &&
         itemLengths[static_cast<std::size_t>(kCodeLengthOrder[itemLengthCount - 1])] == 0)
    --itemLengthCount;

  bits.Put(last ? 1u : 0u, 1);
  bits.Put(2, 2);  // dynamic Huffman codes
  bits.Put(static_cast<std::uint32_t>(literalCount - 257), 5);
  bits.Put(static_cast<std::uint32_t>(distanceCount - 1), 5);
  bits.Put(static_cast<std::uint32_t>(itemLengthCount - 4), 4);
  for (std::size_t i = 0; i < itemLengthCount; ++i)
    bits.Put(static_cast<std::uint32_t>(itemLengths[static_cast<std::size_t>(kCodeLengthOrder[i])]),
             3);
  for (const LengthItem& item : items) {
    const auto symbol = static_cast<std::size_t>(item.symbol);
    bits.PutCode(itemCodes[symbol], itemLengths[symbol]);
    if (item.symbol == 16) bits.Put(static_cast<std::uint32_t>(item.extra), 2);
    if (item.symbol == 17) bits.Put(static_cast<std::uint32_t>(item.extra), 3);
    if (item.symbol == 18) bits.Put(static_cast<std::uint32_t>(item.extra), 7);
  }

  for (std::size_t i = 0; i < count; ++i) {
    const Token& token = tokens[i];
    if (token.length == 0) {
      bits.PutCode(literalCodes[token.value], literalLengths[token.value]);
      continue;
    }
    const int lengthIndex = IndexOf(kLengthBase, token.length);
    const std::size_t lengthSymbol = 257 + static_cast<std::size_t>(lengthIndex);
    bits.PutCode(literalCodes[lengthSymbol], literalLengths[lengthSymbol]);
    bits.Put(static_cast<std::uint32_t>(token.length - kLengthBase[lengthIndex]),
             kLengthExtra[lengthIndex]);
    const int distanceIndex = IndexOf(kDistanceBase, token.value);
    const auto distanceSymbol = static_cast<std::size_t>(distanceIndex);
    bits.PutCode(distanceCodes[distanceSymbol], distanceLengths[distanceSymbol]);
    bits.Put(static_cast<std::uint32_t>(token.value - kDistanceBase[distanceIndex]),
             kDistanceExtra[distanceIndex]);
  }
  bits.PutCode(literalCodes[256], literalLengths[256]);
}

// ---- Checksums ----

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  return b << 16 | a;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// ---- Row filters (PNG 9.2), bytes per pixel 4 ----

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = p > a ? p - a : a - p;
  const int pb = p > b ? p - b : b - p;
  const int pc = p > c ? p - c : c - p;
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}

// Each row as the filter whose output has the smallest sum of magnitudes,
// read as signed bytes: the usual guess at what deflates best.
std::vector<std::uint8_t> FilterRows(int width, int height, const std::vector<std::uint8_t>& rgba) {
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  std::vector<std::uint8_t> out;
  out.reserve((stride + 1) * static_cast<std::size_t>(height));
  std::vector<std::uint8_t> candidate(stride);
  std::vector<std::uint8_t> best(stride);
  const std::vector<std::uint8_t> zeros(stride, 0);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = rgba.data() + static_cast<std::size_t>(y) * stride;
    const std::uint8_t* above = y > 0 ? row - stride : zeros.data();
    long bestCost = -1;
    int bestFilter = 0;
    for (int filter = 0; filter < 5; ++filter) {
      long cost = 0;
      for (std::size_t i = 0; i < stride; ++i) {
        const int a = i >= 4 ? row[i - 4] : 0;
        const int b = above[i];
        const int c = i >= 4 ? above[i - 4] : 0;
        int predicted = 0;
        switch (filter) {
          case 1:
            predicted = a;
            break;
          case 2:
            predicted = b;
            break;
          case 3:
            predicted = (a + b) / 2;
            break;
          case 4:
            predicted = Paeth(a, b, c);
            break;
          default:
            break;
        }
        const auto value = static_cast<std::uint8_t>((row[i] - predicted) & 0xFF);
        candidate[i] = value;
        cost += value < 128 ? value : 256 - value;
      }
      if (bestCost < 0 || cost < bestCost) {
        bestCost = cost;
        bestFilter = filter;
        best.swap(candidate);
      }
    }
    out.push_back(static_cast<std::uint8_t>(bestFilter));
    out.insert(out.end(), best.begin(), best.end());
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> out = {0x78, 0x9C};  // deflate, 32 KiB window, default level
  const std::vector<Token> tokens = Tokenize(data);
  BitWriter bits(out);
  std::size_t start = 0;
  do {
    const std::size_t count =
        tokens.size() - start < kBlockSymbols ? tokens.size() - start : kBlockSymbols;
    WriteBlock(bits, tokens.data() + start, count, start + count == tokens.size());
    start += count;
  } while (start < tokens.size());
  bits.Flush();
  PutBig32(out, Adler32(data));
  return out;
}

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
  std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBig32(header, static_cast<std::uint32_t>(width));
  PutBig32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filters, no interlace
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", ZlibCompress(FilterRows(width, height, rgba)));
  PutChunk(out, "IEND", {});
  return out;
}
