// Decodes one BinHex 4.0 section into the data fork of the encoded file.
// Three layers: characters to 6-bit values, four characters to three bytes,
// and the 0x90 run-length layer. The expanded stream begins with the header;
// everything after it goes to the output, which is cut to the data fork's
// length at the end (that drops the check values and the resource fork).

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/BinHexRle.h"
#include "core/DecodeContext.h"
#include "core/DecoderOutput.h"

namespace twick {

RleItem ReadRleItem(const unsigned char* bytes, size_t pos) {
  const unsigned char b0 = bytes[pos];
  if (b0 != kBinHexRunMarker) {
    if (bytes[pos + 1] == kBinHexRunMarker && bytes[pos + 2] != 0)
      return {b0, bytes[pos + 2], pos + 3};
    return {b0, 0, pos + 1};
  }
  if (bytes[pos + 1] != 0) return {kBinHexRunMarker, 0, pos + 1};
  if (bytes[pos + 2] == kBinHexRunMarker && bytes[pos + 3] > 2)
    return {kBinHexRunMarker, bytes[pos + 3], pos + 4};
  return {kBinHexRunMarker, 0, pos + 2};
}

size_t BinHexHeldBack(const unsigned char* bytes, size_t size) {
  // b[0..3] are the last four bytes; a position before the start counts as
  // a byte other than the marker (and its value is never compared with 0).
  int b[4];
  for (size_t i = 0; i < 4; ++i) {
    size_t back = 4 - i;
    b[i] = size >= back ? bytes[size - back] : -1;
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

namespace {

/// Characters a short line is filled up to by borrowing from the next lines.
constexpr size_t kChunkChars = 64;
/// Zero bytes after a chunk's bytes, so that a look past its end reads 0.
constexpr size_t kLookPastEnd = 2;
/// Header bytes besides the name: its length byte and the 21 after it.
constexpr size_t kHeaderFixed = 22;
constexpr size_t kMaxHeader = 255 + kHeaderFixed;
constexpr uint64_t kProgressDivisor = 30;

/// Takes the expanded bytes: the header first, then everything after it into
/// the work buffer, which is written out whenever the next copies would not
/// fit. The progress bar moves only when the buffer is written.
class ExpandedSink {
 public:
  ExpandedSink(DecoderOutput& out, JobWindow& window, char* buffer, size_t capacity,
               uint64_t stepInterval)
      : out_(out), window_(window), buffer_(buffer), capacity_(capacity),
        stepInterval_(stepInterval) {}

  void CountChars(size_t n) { charCount_ += n; }

  void Put(unsigned char value, size_t copies) {
    while (!headerDone_ && copies > 0) {
      header_[headerSize_++] = value;
      --copies;
      if (headerSize_ == header_[0] + kHeaderFixed) TakeHeader();
    }
    if (copies == 0) return;
    if (pending_ + copies > capacity_) {
      out_.Write(buffer_, pending_);
      pending_ = 0;
      ProgressCheck();
    }
    if (copies == 1)
      buffer_[pending_] = static_cast<char>(value);
    else
      std::memset(buffer_ + pending_, value, copies);
    pending_ += copies;
  }

  void WritePending() {
    out_.Write(buffer_, pending_);
    pending_ = 0;
  }

  bool HeaderDone() const { return headerDone_; }
  uint32_t DataLength() const { return dataLength_; }

 private:
  void TakeHeader() {
    const unsigned char* length = header_.data() + header_[0] + 12;
    dataLength_ = uint32_t{length[0]} << 24 | uint32_t{length[1]} << 16 | uint32_t{length[2]} << 8 |
                  uint32_t{length[3]};
    headerDone_ = true;
  }

  void ProgressCheck() {
    if (charCount_ >= stepInterval_) {
      window_.StepProgress();
      charCount_ = 0;
    }
  }

  DecoderOutput& out_;
  JobWindow& window_;
  char* buffer_;
  size_t capacity_;
  size_t pending_ = 0;
  uint64_t stepInterval_;
  uint64_t charCount_ = 0;
  std::array<unsigned char, kMaxHeader> header_{};
  size_t headerSize_ = 0;
  bool headerDone_ = false;
  uint32_t dataLength_ = 0;
};

/// Turns chunks of characters into bytes and feeds the run-length items to
/// the sink, carrying the bytes of an item cut by a chunk end to the next.
class ChunkDecoder {
 public:
  ChunkDecoder(const DecodeTable& table, ExpandedSink& sink) : table_(table), sink_(sink) {}

  void Decode(std::string_view chars) {
    const size_t groups = (chars.size() + 3) / 4;
    const size_t total = held_ + 3 * groups;
    bytes_.resize(total + kLookPastEnd);

    unsigned char* dst = bytes_.data() + held_;
    const size_t full = chars.size() / 4;
    for (size_t g = 0; g < full; ++g, dst += 3) DecodeGroup(chars.data() + 4 * g, dst);
    if (size_t rest = chars.size() % 4; rest != 0) {
      // A short last group is filled with "!", the character for 0.
      char group[4] = {'!', '!', '!', '!'};
      std::memcpy(group, chars.data() + 4 * full, rest);
      DecodeGroup(group, dst);
    }
    bytes_[total] = 0;
    bytes_[total + 1] = 0;

    const size_t ready = total - BinHexHeldBack(bytes_.data(), total);
    size_t pos = 0;
    while (pos < ready) {
      RleItem item = ReadRleItem(bytes_.data(), pos);
      sink_.Put(item.value, item.count == 0 ? 1 : item.count);
      pos = item.next;
    }
    held_ = total - ready;
    std::memmove(bytes_.data(), bytes_.data() + ready, held_);
  }

 private:
  uint32_t Value(char c) const {
    return static_cast<uint32_t>(table_[static_cast<unsigned char>(c)]);
  }

  void DecodeGroup(const char* c, unsigned char* dst) const {
    const uint32_t v0 = Value(c[0]), v1 = Value(c[1]), v2 = Value(c[2]), v3 = Value(c[3]);
    dst[0] = static_cast<unsigned char>((v0 << 2 | v1 >> 4) & 0xFF);
    dst[1] = static_cast<unsigned char>((v1 << 4 | v2 >> 2) & 0xFF);
    dst[2] = static_cast<unsigned char>((v2 << 6 | v3) & 0xFF);
  }

  const DecodeTable& table_;
  ExpandedSink& sink_;
  /// Held-back bytes at the front, then the chunk's bytes, then zeros.
  std::vector<unsigned char> bytes_;
  size_t held_ = 0;
};

}  // namespace

int DecodeBinHex(DecodeContext& dlg, TextStream& in, char* buffer, uint64_t sectionStart) {
  JobWindow& window = dlg.m_window;
  window.SetProgressPos(0);
  const uint64_t stepInterval = DecoderStepInterval(in, sectionStart, kProgressDivisor);
  window.BeginWaitCursor();

  DecoderOutput out(dlg);
  if (!out.Create()) {
    window.EndWaitCursor();
    return 0;
  }

  // The longest run is 255 copies; the job's smallest work buffer is 280.
  assert(dlg.m_nBufSize >= 255);
  ExpandedSink sink(out, window, buffer, static_cast<size_t>(std::max(dlg.m_nBufSize, 0)),
                    stepInterval);
  ChunkDecoder decoder(*dlg.m_pBinHexTable, sink);

  std::array<char, kChunkChars> borrowed;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (line.empty()) break;  // a blank line ends the section
    if (line.front() == ':') line.remove_prefix(1);
    if (!line.empty() && line.back() == ':') line.remove_suffix(1);

    // A short line takes characters (line ends too) from the lines after it
    // until its length is a multiple of four or it has a full chunk.
    std::string_view chunk = line;
    if (chunk.size() % 4 != 0 && chunk.size() < kChunkChars) {
      size_t size = chunk.size();
      std::memcpy(borrowed.data(), chunk.data(), size);
      while (size % 4 != 0 && size < kChunkChars) {
        size_t got = in.ReadUpTo(borrowed.data() + size, kChunkChars - size);
        if (got == 0) break;
        size += got;
      }
      chunk = std::string_view(borrowed.data(), size);
    }
    sink.CountChars(chunk.size());
    decoder.Decode(chunk);
  }

  // Bytes still held back lie in the check values at the end: dropped.
  sink.WritePending();
  out.CutTo(sink.HeaderDone() ? sink.DataLength() : 0);
  return out.EndSection();
}

}  // namespace twick
