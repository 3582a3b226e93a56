#include "tests/Fixtures.h"

#include <cstdint>

#include "core/Alphabets.h"

namespace twick::test {

namespace {
void EncodeGroup(std::string& out, const unsigned char b[3], const char* alphabet) {
  out += alphabet[b[0] >> 2];
  out += alphabet[((b[0] & 3) << 4) | (b[1] >> 4)];
  out += alphabet[((b[1] & 15) << 2) | (b[2] >> 6)];
  out += alphabet[b[2] & 63];
}
}  // namespace

std::string UUXXSection(const std::string& name, const std::string& data, const char* alphabet) {
  std::string out = "begin 644 " + name + "\n";
  for (size_t at = 0; at < data.size(); at += 45) {
    std::string line = data.substr(at, 45);
    out += alphabet[line.size()];
    for (size_t i = 0; i < line.size(); i += 3) {
      unsigned char b[3] = {0, 0, 0};
      for (size_t k = 0; k < 3 && i + k < line.size(); ++k)
        b[k] = static_cast<unsigned char>(line[i + k]);
      EncodeGroup(out, b, alphabet);
    }
    out += "\n";
  }
  out += alphabet[0];
  return out + "\nend\n";
}

std::string Base64Lines(const std::string& data) {
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < data.size(); i += 3) {
    unsigned char b[3] = {0, 0, 0};
    size_t n = data.size() - i < 3 ? data.size() - i : 3;
    for (size_t k = 0; k < n; ++k) b[k] = static_cast<unsigned char>(data[i + k]);
    std::string group;
    EncodeGroup(group, b, Base64Alphabet);
    if (n < 3) group[3] = '=';
    if (n < 2) group[2] = '=';
    out += group;
    column += 4;
    if (column == 76) {
      out += "\n";
      column = 0;
    }
  }
  if (column > 0) out += "\n";
  return out;
}

std::string BtoaSection(const std::string& name, const std::string& data) {
  std::string out = "xbtoa Begin " + name + "\n";
  size_t column = 0;
  auto put = [&](char c) {
    out += c;
    if (++column == 78) {
      out += "\n";
      column = 0;
    }
  };
  for (size_t i = 0; i < data.size(); i += 4) {
    uint32_t word = 0;
    for (size_t k = 0; k < 4; ++k)
      word = (word << 8) | (i + k < data.size() ? static_cast<unsigned char>(data[i + k]) : 0u);
    if (word == 0) {
      put('z');
      continue;
    }
    char digits[5];
    for (int d = 4; d >= 0; --d) {
      digits[d] = static_cast<char>('!' + word % 85);
      word /= 85;
    }
    for (char c : digits) put(c);
  }
  if (column > 0) out += "\n";
  std::string n = std::to_string(data.size());
  return out + "xbtoa End N " + n + " 0 E 0 S 0 R 0\n";
}

}  // namespace twick::test
