#include "codecs/Base64Decoder.h"

#include <algorithm>
#include <cstring>

namespace twick {

size_t Base64Decoder::DecodeCarried(size_t size, unsigned char* out) {
  DecodeQuads(table_, reinterpret_cast<const unsigned char*>(chars_), size, out);
  // Each trailing "=" (from the source or from the padding) drops one byte
  // of these groups, never a byte of earlier ones.
  const size_t produced = size / 4 * 3;
  size_t equals = 0;
  while (equals < size && chars_[size - 1 - equals] == '=') ++equals;
  return produced - std::min(equals, produced);
}

CodecStatus Base64Decoder::Piece(std::string_view piece, bool endsLine, unsigned char* out,
                                 size_t& produced) {
  produced = 0;
  const size_t length = std::min(piece.size(), kMaxPieceChars);
  if (length == 0) return CodecStatus::Gap;
  if (length >= 2 && piece[0] == '-' && piece[1] == '-') return CodecStatus::Done;  // boundary
  if (equalsLineEnds_ && length == 4 && endsLine && piece.substr(0, 4) == "====")
    return CodecStatus::Done;
  std::memcpy(chars_ + carried_, piece.data(), length);
  const size_t total = carried_ + length;
  const size_t whole = total / 4 * 4;
  if (whole > 0) produced = DecodeCarried(whole, out);
  carried_ = total - whole;
  std::memmove(chars_, chars_ + whole, carried_);
  return CodecStatus::NeedMore;
}

size_t Base64Decoder::Finish(unsigned char* out) {
  if (carried_ == 0) return 0;
  while (carried_ % 4 != 0) chars_[carried_++] = '=';
  const size_t produced = DecodeCarried(carried_, out);
  carried_ = 0;
  return produced;
}

}  // namespace twick
