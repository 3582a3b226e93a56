#include "tests/Fixtures.h"

#include "codecs/BtoaEncoder.h"

#include <algorithm>

namespace twick::test {

namespace {

/// Four characters for the three bytes at `at`, zeros past the end.
std::string Group(std::string_view data, size_t at, const char* alphabet) {
  uint32_t word = 0;
  for (size_t k = 0; k < 3; ++k)
    word = word << 8 | (at + k < data.size() ? static_cast<unsigned char>(data[at + k]) : 0u);
  std::string chars(4, ' ');
  for (size_t i = 0; i < 4; ++i) chars[i] = alphabet[(word >> (18 - 6 * i)) & 63];
  return chars;
}

void PutBigEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string WithCheck(std::string bytes) {
  PutBigEndian(bytes, BinHexCrc(bytes), 2);
  return bytes;
}

}  // namespace

std::string UUXXLines(std::string_view data, const char* alphabet) {
  std::string out;
  for (size_t at = 0; at < data.size(); at += 45) {
    const size_t n = std::min<size_t>(45, data.size() - at);
    out += alphabet[n];
    for (size_t i = 0; i < n; i += 3) out += Group(data, at + i, alphabet);
    out += '\n';
  }
  return out;
}

std::string UUXXSection(const std::string& name, std::string_view data, const char* alphabet) {
  return "begin 644 " + name + "\n" + UUXXLines(data, alphabet) + alphabet[0] + "\nend\n";
}

std::string Base64Lines(std::string_view data) {
  std::string out, line;
  for (size_t at = 0; at < data.size(); at += 3) {
    const size_t n = std::min<size_t>(3, data.size() - at);
    line += Group(data, at, Base64Alphabet).replace(n + 1, 3 - n, 3 - n, '=');
    if (line.size() == 76) out += line + "\n", line.clear();
  }
  return line.empty() ? out : out + line + "\n";
}

std::string BtoaLines(std::string_view data, bool checkCharacter) {
  const std::string lineEnd = checkCharacter ? "c\n" : "\n";
  std::string out, line;
  for (size_t at = 0; at < data.size(); at += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k)
      word = word << 8 | (at + k < data.size() ? static_cast<unsigned char>(data[at + k]) : 0u);
    if (word == 0) {
      line += 'z';
    } else {
      char digits[5];
      for (int d = 4; d >= 0; --d, word /= 85) digits[d] = static_cast<char>('!' + word % 85);
      line.append(digits, 5);
    }
    if (line.size() >= 78) {
      out += line.substr(0, 78) + lineEnd;
      line.erase(0, 78);
    }
  }
  return line.empty() ? out : out + line + lineEnd;
}

std::string BtoaEndLine(std::string_view data) {
  BtoaChecks checks;
  // The checks run over whole words, the zero filling of the last included.
  for (size_t at = 0; at < data.size(); at += 4) {
    for (size_t k = 0; k < 4; ++k)
      UpdateBtoaChecks(checks, at + k < data.size() ? static_cast<uint8_t>(data[at + k]) : 0);
    checks.S += 4;
  }
  std::string line = twick::BtoaEndLine(data.size(), checks);
  return line.substr(0, line.size() - 2) + "\n";
}

std::string BtoaSection(const std::string& name, std::string_view data) {
  return "xbtoa Begin " + name + "\n" + BtoaLines(data) + BtoaEndLine(data);
}

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
  header += '\0';                  // version
  header += "TEXTttxt";            // type, creator
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

std::string BinHexChars(std::string_view bytes, bool fillLastGroup) {
  std::string out;
  for (size_t at = 0; at < bytes.size(); at += 3) {
    const size_t n = fillLastGroup ? 3 : std::min<size_t>(3, bytes.size() - at);
    out += Group(bytes, at, BinHexAlphabet).substr(0, n + 1);
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
