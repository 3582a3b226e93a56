#pragma once
// The four 64-character code alphabets and the character-to-value tables
// that the decoders use to turn characters back into 6-bit values.

#include <array>
#include <cstdint>

namespace twick {

/// Coding formats, in the order of the Coding menu.
enum CodeFormat : int {
  kFormatBase64 = 0,
  kFormatUU = 1,
  kFormatXX = 2,
  kFormatBtoa = 3,
  kFormatBinHex = 4,
};

/// Auto-decoding modes.
enum AutoMode : int {
  kAutoOff = 0,
  kAutoDecode1 = 1,
  kAutoDecode2 = 2,
};

extern const char Base64Alphabet[65];
extern const char UUAlphabet[65];  // index 0 is the backquote
extern const char XXAlphabet[65];
extern const char BinHexAlphabet[65];

/// 256 entries indexed by a byte taken as unsigned; characters outside the
/// alphabet read as 0.
using DecodeTable = std::array<int32_t, 256>;

struct DecodeTables {
  DecodeTable Base64Table{};
  DecodeTable UUTable{};
  DecodeTable XXTable{};
  DecodeTable BinHexTable{};
  bool built = false;
};

/// Fills the four tables and sets the built flag. Calling it again writes the
/// same values.
void BuildDecodeTables(DecodeTables& tables);

/// Tables built once for the whole program (the document's tables).
const DecodeTables& SharedDecodeTables();

}  // namespace twick
