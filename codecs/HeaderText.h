#pragma once
// Text that encoders write into a header line from a file name.

#include <string>

namespace twick {

/// Control characters (0x01 to 0x1F and 0x7F) become '_', so that a name
/// written into a header line cannot add lines.
inline std::string MaskControlCharacters(std::string text) {
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 0x01 && u <= 0x1F) || u == 0x7F) c = '_';
  }
  return text;
}

}  // namespace twick
