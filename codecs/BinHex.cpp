#include "codecs/BinHex.h"

#include <array>

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/ByteOrder.h"
#include "codecs/Dispatch.h"
#include "codecs/kernels/PortableKernels.h"

namespace twick {

namespace {

/// DecodeQuads storing each group's three bytes with one four-byte store;
/// the fourth byte is overwritten by the next group or left as slack.
unsigned char* DecodeQuadsWide(const SpreadTable& table, const unsigned char* src, size_t length,
                               unsigned char* dst) {
  for (size_t i = 0; i < length; i += 4, dst += 3) {
    StoreBigEndian32(GroupBits(table, src + i) << 8, dst);
  }
  return dst;
}

}  // namespace

bool IsStandardBinHexTable(const DecodeTable& table) {
  return table == SharedDecodeTables().BinHexTable;
}

size_t DecodeStandardBinHexChars(const SpreadTable& table, std::string_view chars,
                                 unsigned char* dst, bool& mayHoldMarker) {
  return ActiveKernels().decodeStandardBinHex(table, chars, dst, mayHoldMarker);
}

size_t DecodeStandardBinHexPortable(const SpreadTable& table, std::string_view chars,
                                    unsigned char* dst, bool& mayHoldMarker) {
  mayHoldMarker = true;
  return DecodeBinHexChars(table, chars, dst);
}

size_t DecodeBinHexChars(const SpreadTable& table, std::string_view chars, unsigned char* dst) {
  const auto* src = reinterpret_cast<const unsigned char*>(chars.data());
  const size_t whole = chars.size() / 4 * 4;
  unsigned char* end = DecodeQuadsWide(table, src, whole, dst);
  if (const size_t rest = chars.size() - whole; rest != 0) {
    unsigned char group[4] = {'!', '!', '!', '!'};
    std::memcpy(group, src + whole, rest);
    end = DecodeQuadsWide(table, group, 4, end);
  }
  return static_cast<size_t>(end - dst);
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

namespace {

constexpr std::array<bool, 256> BinHexMembers() {
  std::array<bool, 256> members{};
  for (size_t i = 0; i < 64; ++i) members[static_cast<unsigned char>(BinHexAlphabet[i])] = true;
  return members;
}

constexpr std::array<bool, 256> kBinHexMembers = BinHexMembers();

}  // namespace

bool IsBinHexDataText(std::string_view text) { return ActiveKernels().isBinHexDataText(text); }

bool IsBinHexDataTextPortable(std::string_view text) {
  unsigned char outside = 0;
  for (const char c : text)
    outside |= static_cast<unsigned char>(!kBinHexMembers[static_cast<unsigned char>(c)]);
  return outside == 0;
}

}  // namespace twick
