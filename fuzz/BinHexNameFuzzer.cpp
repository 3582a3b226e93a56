// The BinHex file-name extractor on arbitrary first data lines.

#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/BinHex.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace twick;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string name = DecodeBinHexName(text, SharedDecodeTables().BinHexTable);
  if (name.size() > 255) __builtin_trap();  // the length is one byte
  return 0;
}
