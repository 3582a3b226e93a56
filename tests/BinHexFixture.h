#pragma once
// A small BinHex 4.0 encoder for tests: header, forks and check values, the
// 0x90 run-length layer, 6-bit characters and 64-character lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace twick::test {

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
/// Four characters for every three bytes; a last short group gives 2 or 3.
std::string BinHexChars(std::string_view bytes);
/// ":" + chars + ":" in lines of 64 characters, each ended by `lineEnd`.
std::string BinHexLines(std::string_view chars, std::string_view lineEnd = "\n");
/// The whole section for `file`.
std::string BinHexText(const BinHexFile& file, std::string_view lineEnd = "\n");

}  // namespace twick::test
