// Reads one btoa (base 85) section and drives BtoaDecoder over it. The
// section ends at a line (or 80-character piece of a line) that the decoder
// takes for its end line, at a line that opens another section (left unread
// for the scanner), or at the end of the stream. The end line's byte
// count cuts the output to its true length; check values that do not match,
// or a missing or unreadable end line, are reported and the output kept as
// decoded.

#include <algorithm>
#include <cstring>
#include <string_view>

#include "codecs/BtoaDecoder.h"
#include "core/Messages.h"
#include "core/ProgressCounter.h"
#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/HeaderRecognisers.h"
#include "jobs/TextDecoderSupport.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 30;
/// Characters of short data lines gathered before they are decoded.
constexpr size_t kGatheredSize = 8192;

/// Feeds characters to the decoder and hands its bytes on: the work buffer
/// is written out whenever fewer than four bytes would stay free, and the
/// progress bar counts the characters of every word.
class BtoaFeeder {
 public:
  BtoaFeeder(BtoaDecoder& decoder, DecoderOutput& out, ProgressCounter& progress, char* buffer,
             size_t capacity)
      : decoder_(decoder), out_(out), progress_(progress), buffer_(buffer), capacity_(capacity) {}

  void Feed(const char* chars, size_t size, bool endsLine) {
    auto* work = reinterpret_cast<unsigned char*>(buffer_);
    BtoaStep step;
    do {
      // The decoder stops at the word that reaches the next progress step,
      // so one Count per call steps the bar where a Count per word would.
      step = decoder_.Decode(chars, size, endsLine, work + pending_, capacity_ - pending_,
                             progress_.UnitsBeforeStep());
      pending_ += step.produced;
      if (step.decoded > 0) progress_.Count(step.decoded);
      if (capacity_ - pending_ < BtoaDecoder::kWordSize) WritePending();
      chars += step.consumed;
      size -= step.consumed;
    } while (size > 0 && step.consumed > 0);
  }

  void WritePending() {
    if (pending_ > 0) out_.Write(buffer_, pending_);
    pending_ = 0;
  }

 private:
  BtoaDecoder& decoder_;
  DecoderOutput& out_;
  ProgressCounter& progress_;
  char* buffer_;
  size_t capacity_;
  size_t pending_ = 0;
};

}  // namespace

SectionResult DecodeBtoa(DecodeContext& job, TextStream& in, char* buffer, uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);
  window.SetProgressPos(0);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();
  // A stopped job keeps nothing of the section; the job reports the stop.
  auto stop = [&] { return out.Discard(); };

  BtoaDecoder decoder(job.m_nBtoaVersion == 5);
  BtoaFeeder feeder(decoder, out, progress, buffer,
                    static_cast<size_t>(std::max(job.m_nBufSize, 0)));
  CodecStatus status = CodecStatus::NeedMore;
  // Lines are taken in pieces of at most 80 characters, and each piece may
  // be the end line. A line whose length is a multiple of 80 is read as
  // pieces none of which ends the line, so its last character is data.
  constexpr size_t kPiece = decoding::PieceReader::kPieceSize;
  decoding::PieceReader reader(in);
  char piece[kPiece];
  const HeaderTables headers{job.m_pUUAlphabet, job.m_pXXAlphabet, job.m_pBinHexTable};
  // Lines of one piece are gathered here without their line ends (and
  // without the check character of variant 5) and decoded many at a time;
  // the bytes, the checks and the progress steps come out as line by line.
  // Whatever else happens first decodes what is gathered.
  const bool dropsCheckCharacter = job.m_nBtoaVersion == 5;
  char gathered[kGatheredSize];
  size_t gatheredSize = 0;
  auto decodeGathered = [&] {
    if (gatheredSize > 0) feeder.Feed(gathered, gatheredSize, false);
    gatheredSize = 0;
  };
  while (status == CodecStatus::NeedMore) {
    if (window.CancelRequested()) {
      decodeGathered();
      return stop();
    }
    // Most lines lie whole in the stream's buffer and are decoded there.
    std::string_view view = in.Buffered(4096);
    if (view.empty()) break;
    // Each turn starts at the beginning of a line. A line that opens another
    // section ends this one without its end line, which is reported below. A
    // MIME boundary is not looked for: "--" and no blanks is btoa data too.
    // The end line opens nothing; another "xbtoa Begin" line does.
    const auto first = static_cast<unsigned char>(view[0]);
    if (first != '-' && MayOpenSection(first)) {
      if (LineOpensSection(in, headers)) break;
      view = in.Buffered(4096);  // looking at the line may have read the stream
    }
    const auto* lf = static_cast<const char*>(std::memchr(view.data(), '\n', view.size()));
    if (lf != nullptr) {
      size_t n = static_cast<size_t>(lf - view.data());
      in.Advance(n + 1);
      if (n > 0 && view[n - 1] == '\r') --n;
      if (n <= kPiece && !BtoaDecoder::IsEndLine(view.substr(0, n))) {
        const size_t data = dropsCheckCharacter && n % kPiece != 0 ? n - 1 : n;
        std::memcpy(gathered + gatheredSize, view.data(), data);
        gatheredSize += data;
        if (gatheredSize > kGatheredSize - kPiece) decodeGathered();
        continue;
      }
      decodeGathered();
      size_t at = 0;
      while (at < n && !BtoaDecoder::IsEndLine(view.substr(at, std::min(kPiece, n - at))))
        at += kPiece;
      if (at < n) {
        feeder.Feed(view.data(), at, false);
        status = decoder.End(view.substr(at, std::min(kPiece, n - at)));
        break;
      }
      feeder.Feed(view.data(), n, n % kPiece != 0);
      continue;
    }
    decodeGathered();
    // A line longer than the buffer, or a last line without its line end:
    // piece by piece, up to the end of a line.
    size_t length = 0;
    bool endsLine = false;
    while (reader.Next(piece, length, endsLine)) {
      if (BtoaDecoder::IsEndLine(std::string_view(piece, length))) {
        status = decoder.End(std::string_view(piece, length));
        break;
      }
      feeder.Feed(piece, length, endsLine);
      if (endsLine) break;
      if (window.CancelRequested()) return stop();
    }
    if (!endsLine) break;
  }
  decodeGathered();
  if (status == CodecStatus::NeedMore) status = decoder.EndWithoutEndLine();

  feeder.WritePending();
  if (decoder.DeclaredLength() > 0) out.CutTo(decoder.DeclaredLength());
  SectionResult result{out.EndSection(), CodecStatus::Done};
  // A missing end line is reported as check values that do not match.
  if (result.written && status != CodecStatus::Done && !in.Failed()) {
    window.ShowMessage(DamagedOutputText(job.m_strOutput), kContentErrorCaption, MessageIcon::Stop);
    result.status = CodecStatus::ChecksWrong;
  }
  return result;
}

}  // namespace twick
