#pragma once
// Readable names for the cases of parameterised tests. GoogleTest accepts only
// letters, digits and '_' in a name, so each part is spelled out here.

#include <string>

#include "codecs/Alphabets.h"

namespace twick::test {

/// "Base64", "UU", "XX", "Btoa" or "BinHex" for a kFormat* number.
inline std::string FormatName(int format) {
  switch (format) {
    case kFormatBase64: return "Base64";
    case kFormatUU: return "UU";
    case kFormatXX: return "XX";
    case kFormatBtoa: return "Btoa";
    case kFormatBinHex: return "BinHex";
    default: return "Format" + std::to_string(format);
  }
}

/// "LF" or "CrLf".
inline std::string LineEndName(bool crlf) { return crlf ? "CrLf" : "LF"; }

/// A size as a name part: `prefix` then the number ("Bytes45", "Buffer280").
inline std::string SizeName(const char* prefix, size_t size) {
  return prefix + std::to_string(size);
}

}  // namespace twick::test
