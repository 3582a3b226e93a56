#pragma once
// The four 64-character code alphabets, the character-to-value tables that
// the decoders use to turn characters back into 6-bit values, and the step
// the Base64, UU/XX and BinHex decoders share: four characters to three bytes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace twick {

/// Coding formats, in the order of the Coding menu.
enum CodeFormat : int {
  kFormatBase64 = 0,
  kFormatUU = 1,
  kFormatXX = 2,
  kFormatBtoa = 3,
  kFormatBinHex = 4,
  // Found by their headers only; not in the Coding menu.
  kFormatYEnc = 5,
  kFormatQuotedPrintable = 6,
  kFormatPlainText = 7,
};

/// Auto-decoding modes.
enum AutoMode : int {
  kAutoOff = 0,
  kAutoDecode1 = 1,
  kAutoDecode2 = 2,
};

// Constant expressions, so that tables derived from them can be built and
// checked while compiling.
inline constexpr char Base64Alphabet[65] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Index 0 is the backquote.
inline constexpr char UUAlphabet[65] =
    "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";
inline constexpr char XXAlphabet[65] =
    "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline constexpr char BinHexAlphabet[65] =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

/// 256 entries indexed by a byte taken as unsigned; characters outside the
/// alphabet read as 0.
using DecodeTable = std::array<int32_t, 256>;

struct DecodeTables {
  DecodeTable Base64Table{};
  DecodeTable UUTable{};
  DecodeTable XXTable{};
  DecodeTable BinHexTable{};
};

/// Fills the four tables. Calling it again writes the same values.
void BuildDecodeTables(DecodeTables& tables);

/// Tables built once for the whole program (the document's tables).
const DecodeTables& SharedDecodeTables();

/// A decode table spread over the four places of a group: a character's
/// entry k is its 6-bit value moved to where the k-th character of a group
/// lands in the group's 24 bits, so a group takes four lookups and three ORs.
struct SpreadTable {
  explicit SpreadTable(const DecodeTable& table);
  std::array<std::array<uint32_t, 256>, 4> place;
};

/// The 24 bits of the group of four characters at `src`.
inline uint32_t GroupBits(const SpreadTable& table, const unsigned char* src) {
  const auto& p = table.place;
  return p[0][src[0]] | p[1][src[1]] | p[2][src[2]] | p[3][src[3]];
}

/// Decodes groups of four characters (`length` a multiple of 4) into three
/// bytes each, looking every character up in `table`; returns the end of
/// what was written.
inline unsigned char* DecodeQuads(const SpreadTable& table, const unsigned char* src, size_t length,
                                  unsigned char* dst) {
  for (size_t i = 0; i < length; i += 4) {
    const uint32_t v = GroupBits(table, src + i);
    dst[0] = static_cast<unsigned char>(v >> 16);
    dst[1] = static_cast<unsigned char>(v >> 8);
    dst[2] = static_cast<unsigned char>(v);
    dst += 3;
  }
  return dst;
}

}  // namespace twick
