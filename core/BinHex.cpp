#include "core/BinHex.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace twick {

size_t DecodeBinHexChars(const SpreadTable& table, std::string_view chars, unsigned char* dst) {
  const auto* src = reinterpret_cast<const unsigned char*>(chars.data());
  const size_t whole = chars.size() / 4 * 4;
  unsigned char* end = DecodeQuads(table, src, whole, dst);
  if (const size_t rest = chars.size() - whole; rest != 0) {
    unsigned char group[4] = {'!', '!', '!', '!'};
    std::memcpy(group, src + whole, rest);
    end = DecodeQuads(table, group, 4, end);
  }
  return static_cast<size_t>(end - dst);
}

size_t BinHexHeldBack(const unsigned char* bytes, size_t size) {
  // b[0..3] are the last four bytes; a position before the start counts as
  // a byte other than the marker (and its value is never compared with 0).
  int b[4];
  if (size >= 4) {
    for (size_t i = 0; i < 4; ++i) b[i] = bytes[size - 4 + i];
  } else {
    for (size_t i = 0; i < 4; ++i) {
      size_t back = 4 - i;
      b[i] = size >= back ? bytes[size - back] : -1;
    }
  }
  size_t held;
  if (b[0] == kBinHexRunMarker)
    held = b[1] != 0 ? 2 : 4;
  else if (b[1] == kBinHexRunMarker)
    held = b[2] != 0 ? 1 : 3;
  else if (b[2] == kBinHexRunMarker)
    held = b[3] != 0 ? 0 : 2;
  else if (b[3] == kBinHexRunMarker)
    held = 2;
  else
    held = 1;
  return std::min(held, size);
}

std::string DecodeBinHexName(std::string_view text, const DecodeTable& table) {
  // No item takes more than three bytes for each byte it yields, so the
  // length byte and the longest name (255 bytes) come from the first 768
  // bytes, and an item looks at most three bytes past its start.
  constexpr size_t kMostBytesRead = 3 * 256 + 3;
  const size_t chars = std::min(text.size(), (kMostBytesRead + 2) / 3 * 4);
  std::vector<unsigned char> bytes((chars + 3) / 4 * 3 + kRleLookPastEnd, 0);
  const size_t size = DecodeBinHexChars(SpreadTable(table), text.substr(0, chars), bytes.data());

  // The length byte, then the name.
  std::string expanded;
  size_t wanted = 1;
  for (size_t pos = 0; pos < size && expanded.size() < wanted;) {
    const RleItem item = ReadRleItem(bytes.data(), pos);
    if (expanded.empty()) wanted = 1 + size_t{item.value};
    const size_t copies = item.count == 0 ? 1 : item.count;
    expanded.append(std::min(copies, wanted - expanded.size()), static_cast<char>(item.value));
    pos = item.next;
  }
  return expanded.empty() ? std::string() : expanded.substr(1);
}

}  // namespace twick
