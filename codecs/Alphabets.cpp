#include "codecs/Alphabets.h"

namespace twick {

void BuildDecodeTables(DecodeTables& tables) {
  for (int i = 0; i < 64; ++i) {
    tables.Base64Table[static_cast<unsigned char>(Base64Alphabet[i])] = i;
    tables.UUTable[0x20 + i] = i;
    tables.XXTable[static_cast<unsigned char>(XXAlphabet[i])] = i;
    tables.BinHexTable[static_cast<unsigned char>(BinHexAlphabet[i])] = i;
  }
  // Backquote and space both stand for 0 in UU; "~" is the decoder's padding.
  tables.UUTable['`'] = 0;
  tables.UUTable['~'] = 0;
  tables.XXTable['~'] = 0;
}

SpreadTable::SpreadTable(const DecodeTable& table) : place{} {
  for (size_t c = 0; c < 256; ++c) {
    const auto value = static_cast<uint32_t>(table[c]) & 63;
    place[0][c] = value << 18;
    place[1][c] = value << 12;
    place[2][c] = value << 6;
    place[3][c] = value;
  }
}

const DecodeTables& SharedDecodeTables() {
  static const DecodeTables tables = [] {
    DecodeTables t;
    BuildDecodeTables(t);
    return t;
  }();
  return tables;
}

}  // namespace twick
