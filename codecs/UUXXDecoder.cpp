#include "codecs/UUXXDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace twick {

UUXXDecoder::UUXXDecoder(const DecodeTable& table, const char* alphabet)
    : table_(table), spread_(table) {
  for (size_t i = 0; i < 64 && alphabet[i] != 0; ++i)
    member_.Add(static_cast<unsigned char>(alphabet[i]));
  member_.Add('~');
  // UU writes the value 0 as a backquote or, as older encoders did, a blank.
  if (member_.Has('`')) member_.Add(' ');
}

bool UUXXDecoder::IsDataLine(std::string_view piece) const {
  const auto* src = reinterpret_cast<const unsigned char*>(piece.data());
  const size_t length = piece.size();
  if (length == 0 || !member_.Has(src[0])) return false;
  const size_t count = static_cast<size_t>(std::max<int32_t>(table_[src[0]], 0));
  if (length > 2 + (count + 2) / 3 * 4) return false;
  return AllInByteSet(member_, piece.substr(1));
}

CodecStatus UUXXDecoder::Piece(std::string_view piece, unsigned char* out, size_t& produced) const {
  produced = 0;
  size_t length = std::min(piece.size(), kMaxPieceChars);
  if (length == 0) return CodecStatus::Gap;
  if (IsUUXXClosingLine(piece.substr(0, length))) return CodecStatus::Done;
  // The zero-count line that ends the data may carry added blanks too ("end"
  // with a blank after it stays a line like any other).
  if (piece.find_first_not_of(" \t", 1) >= length && IsUUXXClosingLine(piece.substr(0, 1)))
    return CodecStatus::Done;
  // Blanks a mail system added at the end of a line are not data: those past
  // the length the count asks for, and any the alphabet has no place for.
  const auto first = static_cast<unsigned char>(piece[0]);
  const size_t longest = 2 + (static_cast<size_t>(std::max<int32_t>(table_[first], 0)) + 2) / 3 * 4;
  auto addedBlank = [&](size_t at) {
    const auto c = static_cast<unsigned char>(piece[at]);
    return (c == ' ' || c == '\t') && (at >= longest || !member_.Has(c));
  };
  while (length > 1 && addedBlank(length - 1)) --length;
  if (!IsDataLine(piece.substr(0, length))) return CodecStatus::NotData;

  // The groups follow the count character; a last group cut short is filled
  // with "~", which reads as 0: it stands in for trailing blanks a mailer
  // removed.
  const auto* src = reinterpret_cast<const unsigned char*>(piece.data());
  const size_t chars = length - 1;
  const size_t whole = chars / 4 * 4;
  unsigned char* end = DecodeQuads(spread_, src + 1, whole, out);
  if (whole < chars) {
    unsigned char last[4] = {'~', '~', '~', '~'};
    std::memcpy(last, src + 1 + whole, chars - whole);
    DecodeQuads(spread_, last, 4, end);
  }
  // The count character cuts the line's bytes to the announced number; a
  // count larger than the data adds nothing.
  const size_t decoded = (chars + 3) / 4 * 3;
  const int64_t count = std::max<int64_t>(table_[src[0]], 0);
  produced = static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(decoded)));
  return CodecStatus::NeedMore;
}

}  // namespace twick
