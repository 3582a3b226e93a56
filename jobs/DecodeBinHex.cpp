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
#include <memory>
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

  /// Decodes chunks read one after another, `ends` holding where each ends
  /// in `chars` (all multiples of four characters), as one: the bytes, the
  /// writes and the progress steps are those of decoding them one by one.
  void DecodeChunks(std::string_view chars, const size_t* ends, size_t count) {
    size_t counted = 0;  // chunks whose characters uncounted_ holds
    size_t begin = 0;
    auto countUpTo = [&](size_t last) {
      for (; counted <= last; ++counted) {
        uncounted_ += ends[counted] - begin;
        begin = ends[counted];
      }
    };
    BinHexStep step = decoder_.Decode(chars, true, Free(), capacity_ - pending_);
    for (;;) {
      pending_ += step.produced;
      if (!step.outputFull) break;
      out_.Write(buffer_, pending_);
      pending_ = 0;
      countUpTo(decoder_.ChunkOfStop(ends, count, counted == 0 ? 0 : counted - 1));
      progress_.Count(std::exchange(uncounted_, 0));
      step = decoder_.Resume(Free(), capacity_);
    }
    if (count > 0) countUpTo(count - 1);
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

/// A line in the stream's buffer: its characters without the line end, and
/// where the next line begins.
struct BufferedLine {
  std::string_view text;
  size_t next = 0;
};

/// Chunks of ordinary data lines, gathered straight from the stream's
/// buffer: exactly the chunks the reader below makes of them one at a time
/// (a line, or the rest of a line that lent characters to the one before,
/// filled up with the first characters of the next line), for lines that
/// are whole in the buffer, hold only BinHex characters, do not begin or
/// end with a colon and are long enough to lend what is asked. Everything
/// else is left to that reader, which takes the next chunk.
class ChunkGatherer {
 public:
  static constexpr size_t kMaxChars = 4096;
  static constexpr size_t kMaxChunks = kMaxChars / 4;

  /// Gathers chunks from the read position on and moves past them. The
  /// reader polls for a stop before each chunk, and so does this, once a
  /// chunk is known to be one it takes; `stopped` tells that the poll asked
  /// to stop (the chunks before are gathered).
  void Gather(TextStream& in, JobWindow& window, bool& stopped) {
    size_ = count_ = 0;
    full_ = false;
    // Only what the buffer holds: the reader reads the file when it needs
    // more, so the file is read in the same pieces as line by line.
    const std::string_view view = in.Buffered(0);
    size_t at = 0;
    BufferedLine line;
    if (!LineAt(view, at, line)) return;
    for (;;) {
      if (line.text.empty() || line.text.front() == ':' || line.text.back() == ':') break;
      const size_t size = line.text.size();
      BufferedLine next;
      size_t lent = 0;
      if (size % 4 != 0) {
        // A short line borrows up to a full chunk from the next line, which
        // must be data and keep characters of its own.
        if (size >= kChunkChars || !LineAt(view, line.next, next)) break;
        lent = kChunkChars - size;
        if (next.text.size() <= lent || next.text.front() == ':' || next.text.back() == ':') break;
      }
      if (size + lent > kMaxChars - size_) {
        full_ = true;
        break;
      }
      if (window.CancelRequested()) {
        stopped = true;
        break;
      }
      std::memcpy(chars_.data() + size_, line.text.data(), size);
      if (lent > 0) std::memcpy(chars_.data() + size_ + size, next.text.data(), lent);
      size_ += size + lent;
      ends_[count_++] = size_;
      if (lent == 0) {
        at = line.next;
        if (!LineAt(view, at, line)) break;
      } else {
        // The rest of the next line is the next chunk's start; it was
        // checked with the whole line.
        at = line.next + lent;
        line = {next.text.substr(lent), next.next};
        continue;
      }
    }
    in.Advance(at);
  }

  std::string_view Chars() const { return std::string_view(chars_.data(), size_); }
  const size_t* Ends() const { return ends_.data(); }
  size_t Count() const { return count_; }
  /// Gathering stopped because no more would fit, not at a line the reader
  /// must take.
  bool Full() const { return full_; }

 private:
  /// The line that begins at `at` in `view`, when it ends there and is data.
  bool LineAt(std::string_view view, size_t at, BufferedLine& line) {
    const char* start = view.data() + at;
    // Lines tend to have the length of the line before. The guess holds when
    // a line end follows that many BinHex characters, which hold no line end.
    const size_t guess = guessedLength_;
    if (guess + 2 <= view.size() - at) {
      const size_t lineEnd = start[guess] == '\n'                               ? 1
                             : start[guess] == '\r' && start[guess + 1] == '\n' ? 2
                                                                                : 0;
      if (lineEnd > 0 && IsBinHexDataText(std::string_view(start, guess))) {
        line = {std::string_view(start, guess), at + guess + lineEnd};
        return true;
      }
    }
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', view.size() - at));
    if (lf == nullptr) return false;
    size_t length = static_cast<size_t>(lf - start);
    const size_t next = at + length + 1;
    if (length > 0 && start[length - 1] == '\r') --length;
    line = {std::string_view(start, length), next};
    guessedLength_ = length;
    return IsBinHexDataText(line.text);
  }

  std::array<char, kMaxChars> chars_;
  std::array<size_t, kMaxChunks> ends_;
  size_t size_ = 0;
  size_t count_ = 0;
  bool full_ = false;
  size_t guessedLength_ = 0;
};

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
  auto gatherer = std::make_unique<ChunkGatherer>();
  for (;;) {
    if (lineStart) {
      bool stopped = false;
      gatherer->Gather(in, window, stopped);
      if (gatherer->Count() > 0)
        work.DecodeChunks(gatherer->Chars(), gatherer->Ends(), gatherer->Count());
      if (stopped) return out.Discard();
      if (gatherer->Full()) continue;
    }
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
