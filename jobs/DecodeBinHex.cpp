// Reads one BinHex 4.0 section line by line and feeds its characters to the
// BinHex decoder, which turns them into the data fork's bytes and checks the
// CRCs. This side owns what needs the stream and the job: the colons that
// open and close the data, a blank line that ends it, short lines filled up
// from the lines after them, the work buffer, the output file, the progress
// bar and the message for a damaged file.

#include <algorithm>
#include <array>
#include <cassert>
#include <cstring>
#include <string_view>
#include <utility>

#include "codecs/BinHex.h"
#include "codecs/BinHexDecoder.h"
#include "core/Messages.h"
#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"

namespace twick {

namespace {

/// Characters a short line is filled up to by borrowing from the next lines.
constexpr size_t kChunkChars = 64;
constexpr uint64_t kProgressDivisor = 30;

/// Hands the decoder's bytes on through the work buffer, which is written
/// out whenever the decoder's next bytes would not fit (a run is never split
/// between two writes). The characters given to the decoder are counted for
/// the progress bar only when the buffer is written that way.
class WorkBuffer {
 public:
  WorkBuffer(BinHexDecoder& decoder, DecoderOutput& out, ProgressCounter& progress, char* buffer,
             size_t capacity)
      : decoder_(decoder), out_(out), progress_(progress), buffer_(buffer), capacity_(capacity) {}

  /// Decodes one chunk of characters.
  void Decode(std::string_view chunk) {
    uncounted_ += chunk.size();
    Take(decoder_.Decode(chunk, true, Free(), capacity_ - pending_));
  }

  /// Ends the section and writes the rest of the buffer; returns whether
  /// the decoder found the header and forks whole and matching their CRCs.
  bool Finish() {
    const CodecStatus status = Take(decoder_.Finish(Free(), capacity_ - pending_));
    out_.Write(buffer_, pending_);
    pending_ = 0;
    return status == CodecStatus::Done;
  }

 private:
  CodecStatus Take(BinHexStep step) {
    for (;;) {
      pending_ += step.produced;
      if (!step.outputFull) return step.status;
      out_.Write(buffer_, pending_);
      pending_ = 0;
      progress_.Count(std::exchange(uncounted_, 0));
      step = decoder_.Resume(Free(), capacity_);
    }
  }

  unsigned char* Free() { return reinterpret_cast<unsigned char*>(buffer_) + pending_; }

  BinHexDecoder& decoder_;
  DecoderOutput& out_;
  ProgressCounter& progress_;
  char* buffer_;
  size_t capacity_;
  size_t pending_ = 0;
  uint64_t uncounted_ = 0;
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

/// Whether the line at the read position can be BinHex data (blank lines,
/// banners and mail headers end a borrow before this is asked). The stream
/// is left where it was.
bool NextLineIsData(TextStream& in) {
  const uint64_t start = in.Tell();
  std::string_view line;
  bool data = true;
  if (in.ReadLine(line)) {
    if (!line.empty() && line.front() == ':') line.remove_prefix(1);
    if (!line.empty() && line.back() == ':') line.remove_suffix(1);
    data = IsBinHexDataText(line);
  }
  in.Seek(start);
  return data;
}

/// A short line takes characters (line ends too) from the lines after it
/// until its length is a multiple of four or it has a full chunk; returns
/// the line with what it took, in `borrowed`.
std::string_view FillUp(TextStream& in, std::string_view line,
                        std::array<char, kChunkChars>& borrowed) {
  size_t size = line.size();
  std::memcpy(borrowed.data(), line.data(), size);
  bool atLineStart = true;
  while (size % 4 != 0 && size < kChunkChars) {
    const uint64_t before = in.Tell();
    if (atLineStart && !NextLineIsData(in)) break;  // it ends the section
    size_t got = in.ReadUpTo(borrowed.data() + size, kChunkChars - size);
    if (got == 0) break;
    if (atLineStart && EndsBorrowing(std::string_view(borrowed.data() + size, got))) {
      in.Seek(before);  // the next section or mail text stays unread
      break;
    }
    atLineStart = borrowed[size + got - 1] == '\n';
    size += got;
  }
  return std::string_view(borrowed.data(), size);
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

  // The job's smallest work buffer is 280.
  assert(job.m_nBufSize >= static_cast<int>(BinHexDecoder::kMinRoom));
  BinHexDecoder decoder(*job.m_pBinHexTable);
  WorkBuffer work(decoder, out, progress, buffer, static_cast<size_t>(std::max(job.m_nBufSize, 0)));

  std::array<char, kChunkChars> borrowed;
  std::string_view line;
  // A line longer than the stream's buffer arrives in parts; the characters
  // of a group cut between two parts wait here for the next part.
  std::string longLine;
  bool lineStart = true;
  bool complete = true;
  CodecStatus ending = CodecStatus::Done;
  for (;;) {
    if (window.CancelRequested()) return out.Discard();  // nothing of the output stays
    const uint64_t partStart = in.Tell();
    if (!in.ReadLinePart(line, complete)) break;
    const bool first = std::exchange(lineStart, complete);
    if (first && complete && line.empty()) break;  // a blank line ends the section
    if (first && !line.empty() && line.front() == ':') line.remove_prefix(1);
    // The closing colon ends the data: the next file may follow at once.
    const bool closing = complete && !line.empty() && line.back() == ':';
    if (closing) line.remove_suffix(1);
    // A line with other characters (the next section's header, mail text)
    // ends a section whose closing colon is missing; it stays unread.
    if (first && complete && !IsBinHexDataText(line)) {
      in.Seek(partStart);
      ending = CodecStatus::CutShort;
      break;
    }
    if (!first || !complete) {
      longLine.append(line);
      const size_t whole = complete ? longLine.size() : longLine.size() / 4 * 4;
      work.Decode(std::string_view(longLine.data(), whole));
      longLine.erase(0, whole);
    } else if (!closing && line.size() % 4 != 0 && line.size() < kChunkChars) {
      work.Decode(FillUp(in, line, borrowed));
    } else {
      work.Decode(line);
    }
    if (closing) break;
  }

  const bool checksPassed = work.Finish();
  out.CutTo(decoder.OutputLength());
  // A section cut short whose checks pass is reported as cut short by the
  // job; one whose checks fail as damaged, here, header or not (a manual
  // decoding has none, and no report of its own for a section cut short).
  SectionResult result{out.EndSection(), ending};
  if (result.written && !checksPassed && !in.Failed()) {
    window.ShowMessage(DamagedOutputText(job.m_strOutput), kContentErrorCaption, MessageIcon::Stop);
    result.status = CodecStatus::ChecksWrong;
  }
  return result;
}

}  // namespace twick
