#pragma once
// Small test-side encoders that build fixtures straight from the alphabets,
// independent of the program's own encoders.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "codecs/Alphabets.h"

namespace twick::test {

/// UU or XX body lines of up to 45 bytes, the last group filled.
std::string UUXXLines(std::string_view data, const char* alphabet = UUAlphabet);
/// A "begin 644" section: the body lines, the alphabet's zero-length line and "end".
std::string UUXXSection(const std::string& name, std::string_view data,
                        const char* alphabet = UUAlphabet);

/// Base64 body lines of 76 characters.
std::string Base64Lines(std::string_view data);

/// btoa body lines of 78 characters with "z" for zero words; with
/// `checkCharacter` every line carries an extra 'c' as variant 5 lines do.
std::string BtoaLines(std::string_view data, bool checkCharacter = false);
/// The "xbtoa End" line (LF) with the byte count and true check words.
std::string BtoaEndLine(std::string_view data);
/// A btoa section: "xbtoa Begin", the body lines and the end line.
std::string BtoaSection(const std::string& name, std::string_view data);

struct BinHexFile {
  explicit BinHexFile(std::string fileName, std::string dataFork = {},
                      std::string resourceFork = {})
      : name(std::move(fileName)), data(std::move(dataFork)), resource(std::move(resourceFork)) {}

  std::string name;
  std::string data;
  std::string resource;
  /// Overrides for the header's data fork length and check value.
  std::optional<uint32_t> dataLength;
  std::optional<uint16_t> headerCheck;
};

uint16_t BinHexCrc(std::string_view bytes);
/// The header, the data fork and the resource fork, each with its check value.
std::string BinHexExpanded(const BinHexFile& file);
/// Runs of 3 to 255 equal bytes become items; 0x90 is written as 0x90 0x00.
std::string BinHexRunLength(std::string_view bytes);
/// Four characters for every three bytes; a last short group gives 2 or 3,
/// or 4 from zero-filled bytes with `fillLastGroup`.
std::string BinHexChars(std::string_view bytes, bool fillLastGroup = false);
/// ":" + chars + ":" in lines of 64 characters, each ended by `lineEnd`.
std::string BinHexLines(std::string_view chars, std::string_view lineEnd = "\n");
/// The whole section for `file`.
std::string BinHexText(const BinHexFile& file, std::string_view lineEnd = "\n");

}  // namespace twick::test
