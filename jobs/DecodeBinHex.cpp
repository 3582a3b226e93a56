// Decodes one BinHex 4.0 section into the data fork of the encoded file.
// Three layers: characters to 6-bit values, four characters to three bytes,
// and the 0x90 run-length layer. The expanded stream begins with the header;
// everything after it goes to the output, which is cut to the data fork's
// length at the end (that drops the check values and the resource fork).
// The header's and both forks' CRCs are checked; a mismatch is reported and
// the output kept as decoded.

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "core/BinHex.h"
#include "core/BinHexCrc.h"
#include "core/Messages.h"
#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"

namespace twick {

namespace {

/// Characters a short line is filled up to by borrowing from the next lines.
constexpr size_t kChunkChars = 64;
/// Header bytes besides the name: its length byte and the 21 after it.
constexpr size_t kHeaderFixed = 22;
constexpr size_t kMaxHeader = 255 + kHeaderFixed;
constexpr uint64_t kProgressDivisor = 30;

/// Follows the stream after the header (data fork, its CRC, resource fork,
/// its CRC) and checks both CRCs.
class ForkChecker {
 public:
  void Start(uint32_t dataLength, uint32_t resourceLength) {
    dataEnd_ = dataLength;
    resourceEnd_ = dataEnd_ + 2 + resourceLength;
  }

  /// Takes `n` bytes of the stream.
  void Take(const unsigned char* p, size_t n) {
    while (n > 0) {
      size_t k = 1;
      if (pos_ < dataEnd_) {
        k = static_cast<size_t>(std::min<uint64_t>(n, dataEnd_ - pos_));
        dataCrc_ = BinHexCrcSpan(dataCrc_, p, k);
      } else if (pos_ < dataEnd_ + 2) {
        dataStored_ = static_cast<uint16_t>(dataStored_ << 8 | *p);
      } else if (pos_ < resourceEnd_) {
        k = static_cast<size_t>(std::min<uint64_t>(n, resourceEnd_ - pos_));
        resourceCrc_ = BinHexCrcSpan(resourceCrc_, p, k);
      } else if (pos_ < resourceEnd_ + 2) {
        resourceStored_ = static_cast<uint16_t>(resourceStored_ << 8 | *p);
      } else {
        return;  // filling after the last check value
      }
      pos_ += k;
      p += k;
      n -= k;
    }
  }

  bool Passed() const {
    return pos_ >= resourceEnd_ + 2 && dataCrc_ == dataStored_ && resourceCrc_ == resourceStored_;
  }

 private:
  uint64_t pos_ = 0;
  uint64_t dataEnd_ = 0;
  uint64_t resourceEnd_ = 0;
  uint16_t dataCrc_ = 0, dataStored_ = 0, resourceCrc_ = 0, resourceStored_ = 0;
};

/// Takes the expanded bytes: the header first, then everything after it into
/// the work buffer, which is written out whenever the next copies would not
/// fit. The characters decoded are counted for the progress bar only when
/// the buffer is written.
class ExpandedSink {
 public:
  ExpandedSink(DecoderOutput& out, ProgressCounter& progress, char* buffer, size_t capacity)
      : out_(out), progress_(progress), buffer_(buffer), capacity_(capacity) {}

  void CountChars(size_t n) { uncounted_ += n; }

  /// Takes `copies` (at most 255) copies of `value`. A run is never split
  /// between two writes of the buffer.
  void Put(unsigned char value, size_t copies) {
    unsigned char run[255];
    std::memset(run, value, copies);
    const size_t used = TakeHeaderBytes(run, copies);
    copies -= used;
    if (copies == 0) return;
    if (pending_ + copies > capacity_) Flush();
    std::memcpy(buffer_ + pending_, run, copies);
    pending_ += copies;
  }

  /// Takes the bytes `p[0..n)`, each one copy (the same as n single runs).
  void Put(const unsigned char* p, size_t n) {
    const size_t used = TakeHeaderBytes(p, n);
    p += used;
    n -= used;
    if (n == 0) return;
    // The buffer is written out when the next byte would not fit.
    while (n > 0) {
      if (pending_ == capacity_) Flush();
      const size_t k = std::min(n, capacity_ - pending_);
      std::memcpy(buffer_ + pending_, p, k);
      pending_ += k;
      p += k;
      n -= k;
    }
  }

  void WritePending() {
    CheckPending();
    out_.Write(buffer_, pending_);
    pending_ = 0;
  }

  bool HeaderDone() const { return headerDone_; }
  /// The header and both forks arrived whole and match their CRCs.
  bool ChecksPassed() const { return headerDone_ && headerCrcOk_ && forks_.Passed(); }
  uint32_t DataLength() const { return dataLength_; }

 private:
  /// Takes header bytes from the front of `p[0..n)` until the header is
  /// whole; returns how many it took.
  size_t TakeHeaderBytes(const unsigned char* p, size_t n) {
    size_t used = 0;
    while (!headerDone_ && used < n) {
      header_[headerSize_++] = p[used++];
      if (headerSize_ == header_[0] + kHeaderFixed) TakeHeader();
    }
    return used;
  }

  /// The forks' CRCs run over the bytes in the buffer, a buffer at a time.
  void CheckPending() { forks_.Take(reinterpret_cast<const unsigned char*>(buffer_), pending_); }

  void Flush() {
    CheckPending();
    out_.Write(buffer_, pending_);
    pending_ = 0;
    progress_.Count(std::exchange(uncounted_, 0));
  }

  void TakeHeader() {
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

  DecoderOutput& out_;
  ProgressCounter& progress_;
  char* buffer_;
  size_t capacity_;
  size_t pending_ = 0;
  uint64_t uncounted_ = 0;
  std::array<unsigned char, kMaxHeader> header_{};
  size_t headerSize_ = 0;
  bool headerDone_ = false;
  bool headerCrcOk_ = false;
  uint32_t dataLength_ = 0;
  ForkChecker forks_;
};

/// Turns chunks of characters into bytes and feeds the run-length items to
/// the sink, carrying the bytes of an item cut by a chunk end to the next.
class ChunkDecoder {
 public:
  ChunkDecoder(const DecodeTable& table, ExpandedSink& sink)
      : table_(table), standard_(IsStandardBinHexTable(table)), sink_(sink) {}

  void Decode(std::string_view chars) {
    const size_t groups = (chars.size() + 3) / 4;
    // Grown only, never shrunk: most chunks are alike in size.
    const size_t room = held_ + 3 * groups + std::max(kRleLookPastEnd, kStandardBinHexSlack);
    if (bytes_.size() < room) bytes_.resize(room);
    bool mayHoldMarker = true;
    const size_t total =
        held_ +
        (standard_ ? DecodeStandardBinHexChars(table_, chars, bytes_.data() + held_, mayHoldMarker)
                   : DecodeBinHexChars(table_, chars, bytes_.data() + held_));
    std::fill_n(bytes_.data() + total, kRleLookPastEnd, 0);
    for (size_t k = 0; k < held_; ++k) mayHoldMarker |= bytes_[k] == kBinHexRunMarker;

    const size_t ready = total - BinHexHeldBack(bytes_.data(), total);
    const unsigned char* bytes = bytes_.data();
    size_t pos = 0;
    if (!mayHoldMarker && ready > 0) {  // no runs: every byte a single copy
      sink_.Put(bytes, ready);
      pos = ready;
    }
    while (pos < ready) {
      // A byte is a single copy of itself unless it or the byte after it is
      // the marker: everything up to the byte before the next marker goes
      // to the sink in one piece.
      const void* hit = std::memchr(bytes + pos, kBinHexRunMarker, ready + 1 - pos);
      const size_t marker =
          hit ? static_cast<size_t>(static_cast<const unsigned char*>(hit) - bytes) : ready + 1;
      if (marker > pos + 1) {
        sink_.Put(bytes + pos, marker - 1 - pos);
        pos = marker - 1;
      }
      if (pos >= ready) break;
      RleItem item = ReadRleItem(bytes, pos);
      sink_.Put(item.value, item.count == 0 ? 1 : item.count);
      pos = item.next;
    }
    // At most four bytes wait for the next chunk.
    held_ = total - ready;
    for (size_t k = 0; k < held_; ++k) bytes_[k] = bytes_[ready + k];
  }

  /// Feeds the bytes held back at the end of the stream (the last check
  /// value lies there).
  void Finish() {
    if (held_ == 0) return;
    bytes_.resize(held_ + kRleLookPastEnd);
    std::fill_n(bytes_.data() + held_, kRleLookPastEnd, 0);
    size_t pos = 0;
    while (pos < held_) {
      RleItem item = ReadRleItem(bytes_.data(), pos);
      sink_.Put(item.value, item.count == 0 ? 1 : item.count);
      pos = item.next;
    }
    held_ = 0;
  }

 private:
  const SpreadTable table_;
  const bool standard_;
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

SectionResult DecodeBinHex(DecodeContext& job, TextStream& in, char* buffer,
                           uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);
  window.BeginWaitCursor();

  DecoderOutput out(job);
  if (!out.Create()) {
    window.EndWaitCursor();
    return {};
  }

  // The longest run is 255 copies; the job's smallest work buffer is 280.
  assert(job.m_nBufSize >= 255);
  ExpandedSink sink(out, progress, buffer, static_cast<size_t>(std::max(job.m_nBufSize, 0)));
  ChunkDecoder decoder(*job.m_pBinHexTable, sink);

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
    // The closing colon ends the data: the next file may follow at once.
    const bool closing = complete && !line.empty() && line.back() == ':';
    if (closing) line.remove_suffix(1);
    if (!first || !complete) {
      longLine.append(line);
      const size_t whole = complete ? longLine.size() : longLine.size() / 4 * 4;
      sink.CountChars(whole);
      decoder.Decode(std::string_view(longLine.data(), whole));
      longLine.erase(0, whole);
      if (closing) break;
      continue;
    }

    // A short line takes characters (line ends too) from the lines after it
    // until its length is a multiple of four or it has a full chunk.
    std::string_view chunk = line;
    if (!closing && chunk.size() % 4 != 0 && chunk.size() < kChunkChars) {
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
    if (closing) break;
  }

  decoder.Finish();
  sink.WritePending();
  out.CutTo(sink.HeaderDone() ? sink.DataLength() : 0);
  SectionResult result{out.EndSection(), CodecStatus::Done};
  if (result.written && !sink.ChecksPassed() && !in.Failed()) {
    window.ShowMessage(DamagedOutputText(job.m_strOutput), kContentErrorCaption, MessageIcon::Stop);
    result.status = CodecStatus::ChecksWrong;
  }
  return result;
}

}  // namespace twick
