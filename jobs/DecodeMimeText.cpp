// Reads one MIME text part: its body from the line after the header block up
// to the delimiter line of a boundary the scanner has met (left unread), or
// to the end of the stream. The line end before that delimiter belongs to
// it, not to the body, so the last line end of the body is never written.
// Quoted-printable bodies go through the codec; 7bit, 8bit and binary ones
// are written as they stand, CR LF and all.

#include <cstring>
#include <memory>
#include <string_view>

#include "codecs/QuotedPrintable.h"
#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/MimeParts.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 1800;
/// Bytes looked at once; a line that begins with "-" and is longer than
/// this is no delimiter line.
constexpr size_t kLookahead = 4096;
/// Decoded bytes gathered before they are written.
constexpr size_t kOutputChunk = 64 * 1024;

/// Writes the body's bytes, through the codec for quoted-printable, in
/// chunks of kOutputChunk.
class BodyWriter {
 public:
  BodyWriter(DecoderOutput& out, bool quotedPrintable)
      : out_(out), quotedPrintable_(quotedPrintable),
        buffer_(new char[kOutputChunk + QuotedPrintableDecoder::kMaxExtraBytes]) {}

  void Put(const char* data, size_t size) {
    while (size > 0) {
      const size_t room = kOutputChunk - used_;
      const size_t take = size < room ? size : room;
      if (quotedPrintable_)
        used_ += codec_.Decode(data, take, buffer_.get() + used_);
      else
        std::memcpy(buffer_.get() + used_, data, take);
      if (!quotedPrintable_) used_ += take;
      data += take;
      size -= take;
      if (used_ + QuotedPrintableDecoder::kMaxExtraBytes >= kOutputChunk) Flush();
    }
  }
  void Finish() {
    if (quotedPrintable_) used_ += codec_.Finish(buffer_.get() + used_);
    Flush();
  }

 private:
  void Flush() {
    out_.Write(buffer_.get(), used_);
    used_ = 0;
  }

  DecoderOutput& out_;
  const bool quotedPrintable_;
  QuotedPrintableDecoder codec_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

/// The length of the line end that closes `line` (which ends with LF).
size_t LineEndLength(std::string_view line) {
  return line.size() >= 2 && line[line.size() - 2] == '\r' ? 2 : 1;
}

}  // namespace

SectionResult DecodeMimeText(DecodeContext& job, TextStream& in, uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  BodyWriter writer(out, job.m_nCodeFormat == kFormatQuotedPrintable);
  const MimeBoundaries* boundaries = job.m_pMimeBoundaries;
  // The line end last read: written only once the next line is no delimiter.
  char heldEnd[2];
  size_t held = 0;
  bool atLineStart = true;
  for (;;) {
    if (window.CancelRequested()) return out.Discard();
    const std::string_view text = in.Buffered(kLookahead);
    if (text.empty()) break;
    const bool lastBytes = text.size() < kLookahead;
    if (atLineStart && text[0] == '-' && boundaries) {
      const void* lf = std::memchr(text.data(), '\n', text.size());
      std::string_view line = text;
      if (lf)
        line = text.substr(0, static_cast<size_t>(static_cast<const char*>(lf) - text.data()));
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if ((lf || lastBytes) && boundaries->EndsBody(line)) break;
    }
    // A run of whole lines up to one that begins with "-" (which may be a
    // delimiter), or up to the end of what is buffered.
    size_t end = 0;
    for (;;) {
      const void* lf = std::memchr(text.data() + end, '\n', text.size() - end);
      if (lf == nullptr) {
        end = text.size();
        break;
      }
      end = static_cast<size_t>(static_cast<const char*>(lf) - text.data()) + 1;
      if (end == text.size() || text[end] == '-') break;
    }
    std::string_view run = text.substr(0, end);
    writer.Put(heldEnd, held);
    held = 0;
    if (run.back() == '\n') {
      held = LineEndLength(run);
      atLineStart = true;
    } else {
      atLineStart = false;
      // A CR at the end of what is buffered may be the start of a CR LF:
      // it waits for the next round, unless the text ends here.
      if (run.back() == '\r' && run.size() > 1) {
        run.remove_suffix(1);
        end -= 1;
      } else if (run.back() == '\r' && lastBytes) {
        held = 1;  // a CR ending the text ends its last line
      }
    }
    std::memcpy(heldEnd, run.data() + run.size() - held, held);
    writer.Put(run.data(), run.size() - held);
    in.Advance(end);
    progress.CountEveryStep(end);
  }
  writer.Finish();
  return {out.EndSection(), CodecStatus::Done};
}

}  // namespace twick
