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
#include <utility>
#include <vector>

#include "core/BinHex.h"
#include "core/DecodeContext.h"
#include "core/DecoderOutput.h"
#include "core/ProgressCounter.h"

namespace twick {

namespace {

/// Characters a short line is filled up to by borrowing from the next lines.
constexpr size_t kChunkChars = 64;
/// Header bytes besides the name: its length byte and the 21 after it.
constexpr size_t kHeaderFixed = 22;
constexpr size_t kMaxHeader = 255 + kHeaderFixed;
constexpr uint64_t kProgressDivisor = 30;

/// Takes the expanded bytes: the header first, then everything after it into
/// the work buffer, which is written out whenever the next copies would not
/// fit. The characters decoded are counted for the progress bar only when
/// the buffer is written.
class ExpandedSink {
 public:
  ExpandedSink(DecoderOutput& out, ProgressCounter& progress, char* buffer, size_t capacity)
      : out_(out), progress_(progress), buffer_(buffer), capacity_(capacity) {}

  void CountChars(size_t n) { uncounted_ += n; }

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
      progress_.Count(std::exchange(uncounted_, 0));
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

  DecoderOutput& out_;
  ProgressCounter& progress_;
  char* buffer_;
  size_t capacity_;
  size_t pending_ = 0;
  uint64_t uncounted_ = 0;
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
    bytes_.resize(held_ + 3 * groups + kRleLookPastEnd);
    const size_t total = held_ + DecodeBinHexChars(table_, chars, bytes_.data() + held_);
    std::fill_n(bytes_.data() + total, kRleLookPastEnd, 0);

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
  const DecodeTable& table_;
  ExpandedSink& sink_;
  /// Held-back bytes at the front, then the chunk's bytes, then zeros.
  std::vector<unsigned char> bytes_;
  size_t held_ = 0;
};

/// Whether a borrow must stop before a line that begins with `text`: a
/// blank line, the "(This file must be converted" banner, or a mail header
/// ("Name: ..."); none of them can be BinHex data.
bool EndsBorrowing(std::string_view text) {
  if (text.front() == '\n') return true;
  if (text.starts_with("(This file")) return true;
  size_t i = 0;
  auto nameChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
  };
  while (i < text.size() && nameChar(text[i])) ++i;
  return i > 0 && i + 1 < text.size() && text[i] == ':' && text[i + 1] == ' ';
}

}  // namespace

int DecodeBinHex(DecodeContext& dlg, TextStream& in, char* buffer, uint64_t sectionStart) {
  JobWindow& window = dlg.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);
  window.BeginWaitCursor();

  DecoderOutput out(dlg);
  if (!out.Create()) {
    window.EndWaitCursor();
    return 0;
  }

  // The longest run is 255 copies; the job's smallest work buffer is 280.
  assert(dlg.m_nBufSize >= 255);
  ExpandedSink sink(out, progress, buffer, static_cast<size_t>(std::max(dlg.m_nBufSize, 0)));
  ChunkDecoder decoder(*dlg.m_pBinHexTable, sink);

  std::array<char, kChunkChars> borrowed;
  std::string_view line;
  // A line longer than the stream's buffer arrives in parts; the characters
  // of a group cut between two parts wait here for the next part.
  std::string longLine;
  bool lineStart = true;
  bool complete = true;
  while (in.ReadLinePart(line, complete)) {
    const bool first = std::exchange(lineStart, complete);
    if (first && complete && line.empty()) break;  // a blank line ends the section
    if (first && !line.empty() && line.front() == ':') line.remove_prefix(1);
    if (complete && !line.empty() && line.back() == ':') line.remove_suffix(1);
    if (!first || !complete) {
      longLine.append(line);
      const size_t whole = complete ? longLine.size() : longLine.size() / 4 * 4;
      sink.CountChars(whole);
      decoder.Decode(std::string_view(longLine.data(), whole));
      longLine.erase(0, whole);
      continue;
    }

    // A short line takes characters (line ends too) from the lines after it
    // until its length is a multiple of four or it has a full chunk.
    std::string_view chunk = line;
    if (chunk.size() % 4 != 0 && chunk.size() < kChunkChars) {
      size_t size = chunk.size();
      std::memcpy(borrowed.data(), chunk.data(), size);
      bool atLineStart = true;
      while (size % 4 != 0 && size < kChunkChars) {
        const uint64_t before = in.Tell();
        size_t got = in.ReadUpTo(borrowed.data() + size, kChunkChars - size);
        if (got == 0) break;
        if (atLineStart && EndsBorrowing(std::string_view(borrowed.data() + size, got))) {
          in.Seek(before);  // the next section or mail text stays unread
          break;
        }
        atLineStart = borrowed[size + got - 1] == '\n';
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
