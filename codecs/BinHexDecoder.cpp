#include "codecs/BinHexDecoder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "codecs/BinHex.h"
#include "codecs/BinHexCrc.h"

namespace twick {

BinHexDecoder::BinHexDecoder(const DecodeTable& table)
    : table_(table), standard_(IsStandardBinHexTable(table)) {}

// The steps below run for every chunk: forced inline into the public steps,
// which the driver calls once a line, so that a chunk costs no more calls
// than the expansion needs.

[[gnu::always_inline]] inline void BinHexDecoder::BeginChunk(std::string_view chars) {
  const size_t groups = (chars.size() + 3) / 4;
  // Grown only, never shrunk: most chunks are alike in size.
  chunkBase_ = held_;
  const size_t size = held_ + 3 * groups + std::max(kRleLookPastEnd, kStandardBinHexSlack);
  if (bytes_.size() < size) bytes_.resize(size);
  bool mayHoldMarker = true;
  total_ = held_ + (standard_ ? DecodeStandardBinHexChars(table_, chars, bytes_.data() + held_,
                                                          mayHoldMarker)
                              : DecodeBinHexChars(table_, chars, bytes_.data() + held_));
  std::fill_n(bytes_.data() + total_, kRleLookPastEnd, 0);
  for (size_t k = 0; k < held_; ++k) mayHoldMarker |= bytes_[k] == kBinHexRunMarker;
  mayHoldMarker_ = mayHoldMarker;
  // Without a marker every item is one byte, and only the last may begin a
  // run that the next chunk's first byte marks.
  ready_ = total_ -
           (mayHoldMarker ? BinHexHeldBack(bytes_.data(), total_) : std::min<size_t>(total_, 1));
  pos_ = 0;
  expanding_ = true;
}

inline void BinHexDecoder::BeginHeldBytes() {
  // Every held byte goes out now; zeros stand for the bytes after them.
  std::fill_n(bytes_.data() + held_, kRleLookPastEnd, 0);
  mayHoldMarker_ = true;
  ready_ = total_ = held_;
  pos_ = 0;
  expanding_ = true;
}

[[gnu::always_inline]] inline void BinHexDecoder::EndChunk() {
  // At most three bytes wait for the next chunk.
  held_ = total_ - ready_;
  for (size_t k = 0; k < held_; ++k) bytes_[k] = bytes_[ready_ + k];
  total_ = held_;
  ready_ = pos_ = 0;
  expanding_ = false;
}

[[gnu::always_inline]] inline BinHexStep BinHexDecoder::Run(unsigned char* out, size_t room) {
  // The forks' CRCs run over the bytes handed out, as long a span as the
  // caller lets them gather: a step whose area goes on where the last one
  // ended adds to the span, any other checks the span first.
  if (out != unchecked_ + uncheckedSize_) CheckHandedOut();
  if (uncheckedSize_ == 0) unchecked_ = out;
  Area area{out, room};
  bool complete = true;
  if (!mayHoldMarker_ && headerDone_ && runLeft_ == 0 && ready_ - pos_ <= room) {
    // Most chunks: no run, and room for every byte.
    const size_t n = ready_ - pos_;
    if (n > 0) std::memcpy(out, bytes_.data() + pos_, n);
    area = {out + n, room - n};
    pos_ = ready_;
  } else {
    complete = ExpandReady(area);
  }
  if (complete) {
    EndChunk();
    if (finishing_ && held_ > 0) {
      BeginHeldBytes();
      complete = ExpandReady(area);
      if (complete) EndChunk();
    }
  }
  BinHexStep step;
  step.produced = room - area.room;
  uncheckedSize_ += step.produced;
  step.outputFull = !complete;
  if (complete && finishing_) {
    CheckHandedOut();
    const bool passed = headerDone_ && headerCrcOk_ && forks_.Passed();
    step.status = passed ? CodecStatus::Done : CodecStatus::ChecksWrong;
  }
  return step;
}

void BinHexDecoder::CheckHandedOut() {
  forks_.Take(unchecked_, uncheckedSize_);
  unchecked_ = nullptr;
  uncheckedSize_ = 0;
}

[[gnu::always_inline]] inline bool BinHexDecoder::ExpandReady(Area& area) {
  if (!PutRun(area)) return false;
  // Kept in locals while the loop runs; the members hold them between steps.
  const unsigned char* bytes = bytes_.data();
  const size_t ready = ready_;
  size_t pos = pos_;
  unsigned char* at = area.at;
  size_t room = area.room;
  bool complete = true;
  while (pos < ready) {
    // A byte is a single copy of itself unless it or the byte after it is
    // the marker: everything up to the byte before the next marker goes
    // out in one piece, as far as the room goes.
    size_t marker = ready + 1;
    if (mayHoldMarker_) {
      const void* hit = std::memchr(bytes + pos, kBinHexRunMarker, ready + 1 - pos);
      if (hit) marker = static_cast<size_t>(static_cast<const unsigned char*>(hit) - bytes);
    }
    if (marker > pos + 1) {
      const size_t end = marker - 1;
      while (!headerDone_ && pos < end) TakeHeaderByte(bytes[pos++]);
      const size_t k = std::min(end - pos, room);
      if (k > 0) std::memcpy(at, bytes + pos, k);
      at += k;
      room -= k;
      pos += k;
      if (pos < end) {
        stoppedAt_ = pos;
        complete = false;
        break;
      }
    }
    if (pos >= ready) break;
    // An item: the header takes what it still lacks, the rest is one run.
    const RleItem item = ReadRleItem(bytes, pos);
    const size_t itemStart = pos;
    pos = item.next;
    size_t copies = item.count == 0 ? 1 : item.count;
    for (; !headerDone_ && copies > 0; --copies) TakeHeaderByte(item.value);
    if (copies > room) {
      stoppedAt_ = itemStart;
      runValue_ = item.value;
      runLeft_ = copies;
      complete = false;
      break;
    }
    std::memset(at, item.value, copies);
    at += copies;
    room -= copies;
  }
  pos_ = pos;
  area = {at, room};
  return complete;
}

inline bool BinHexDecoder::PutRun(Area& area) {
  if (runLeft_ == 0) return true;
  if (runLeft_ > area.room) return false;
  std::memset(area.at, runValue_, runLeft_);
  area.at += runLeft_;
  area.room -= runLeft_;
  runLeft_ = 0;
  return true;
}

void BinHexDecoder::TakeHeaderByte(unsigned char byte) {
  header_[headerSize_++] = byte;
  if (headerSize_ == header_[0] + kHeaderFixed) TakeHeader();
}

void BinHexDecoder::TakeHeader() {
  const unsigned char* length = header_.data() + header_[0] + 12;
  dataLength_ = uint32_t{length[0]} << 24 | uint32_t{length[1]} << 16 | uint32_t{length[2]} << 8 |
                uint32_t{length[3]};
  const unsigned char* rlength = length + 4;
  forks_.Start(dataLength_, uint32_t{rlength[0]} << 24 | uint32_t{rlength[1]} << 16 |
                                uint32_t{rlength[2]} << 8 | uint32_t{rlength[3]});
  const size_t checked = header_[0] + kHeaderFixed - 2;
  headerCrcOk_ =
      BinHexCrcSpan(0, header_.data(), checked) == (header_[checked] << 8 | header_[checked + 1]);
  headerDone_ = true;
}

size_t BinHexDecoder::ChunkOfStop(const size_t* chunkEnds, size_t count, size_t first) const {
  // A chunk given alone hands out its bytes up to the items that may go on
  // in the next one; the stop falls in the first chunk that would have
  // handed out the item it stopped at.
  for (size_t k = first; k + 1 < count; ++k) {
    const size_t end = chunkBase_ + chunkEnds[k] / 4 * 3;
    if (end - BinHexHeldBack(bytes_.data(), end) > stoppedAt_) return k;
  }
  return count - 1;
}

BinHexStep BinHexDecoder::Decode(std::string_view chars, bool chunkEnds, unsigned char* out,
                                 size_t room) {
  assert(!expanding_ && runLeft_ == 0 && !finishing_);
  if (!chunkEnds) {
    chars_.append(chars);
    return {.consumed = chars.size()};
  }
  std::string_view chunk = chars;
  if (!chars_.empty()) {
    chars_.append(chars);
    chunk = chars_;
  }
  BeginChunk(chunk);
  chars_.clear();
  BinHexStep step = Run(out, room);
  step.consumed = chars.size();
  return step;
}

BinHexStep BinHexDecoder::Resume(unsigned char* out, size_t room) {
  assert(expanding_ || runLeft_ != 0);
  return Run(out, room);
}

BinHexStep BinHexDecoder::Finish(unsigned char* out, size_t room) {
  assert(!expanding_ && runLeft_ == 0 && !finishing_);
  finishing_ = true;
  if (!chars_.empty()) {
    BeginChunk(chars_);
    chars_.clear();
  } else if (held_ > 0) {
    BeginHeldBytes();
  }
  return Run(out, room);
}

}  // namespace twick
