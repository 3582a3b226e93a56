#include "tests/BinHexFixture.h"

#include "core/Alphabets.h"

namespace twick::test {

namespace {

void PutBigEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string WithCheck(std::string bytes) {
  PutBigEndian(bytes, BinHexCrc(bytes), 2);
  return bytes;
}

}  // namespace

uint16_t BinHexCrc(std::string_view bytes) {
  uint32_t crc = 0;
  for (unsigned char b : bytes) {
    crc ^= uint32_t{b} << 8;
    for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
  }
  return static_cast<uint16_t>(crc & 0xFFFF);
}

std::string BinHexExpanded(const BinHexFile& file) {
  std::string header;
  header += static_cast<char>(file.name.size());
  header += file.name;
  header += '\0';                 // version
  header += "TEXTttxt";           // type, creator
  header += std::string(2, '\0');  // flags
  PutBigEndian(header, file.dataLength.value_or(static_cast<uint32_t>(file.data.size())), 4);
  PutBigEndian(header, static_cast<uint32_t>(file.resource.size()), 4);
  PutBigEndian(header, file.headerCheck.value_or(BinHexCrc(header)), 2);
  return header + WithCheck(file.data) + WithCheck(file.resource);
}

std::string BinHexRunLength(std::string_view bytes) {
  const char marker = static_cast<char>(0x90);
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    char c = bytes[i];
    size_t run = 1;
    while (i + run < bytes.size() && bytes[i + run] == c && run < 255) ++run;
    i += run;
    if (run >= 3) {
      out += c == marker ? std::string{marker, '\0', marker} : std::string{c, marker};
      out += static_cast<char>(run);
    } else {
      for (size_t k = 0; k < run; ++k)
        out += c == marker ? std::string{marker, '\0'} : std::string{c};
    }
  }
  return out;
}

std::string BinHexChars(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t v = 0;
    for (size_t k = 0; k < 3; ++k)
      v = v << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (size_t k = 0; k <= n; ++k) out += BinHexAlphabet[(v >> (18 - 6 * k)) & 63];
  }
  return out;
}

std::string BinHexLines(std::string_view chars, std::string_view lineEnd) {
  std::string all = ":" + std::string(chars) + ":";
  std::string out;
  for (size_t i = 0; i < all.size(); i += 64) {
    out += all.substr(i, 64);
    out += lineEnd;
  }
  return out;
}

std::string BinHexText(const BinHexFile& file, std::string_view lineEnd) {
  return BinHexLines(BinHexChars(BinHexRunLength(BinHexExpanded(file))), lineEnd);
}

}  // namespace twick::test
