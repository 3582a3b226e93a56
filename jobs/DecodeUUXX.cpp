// Reads one UU or XX section and drives the UU/XX codec over it, a piece of
// at most 80 characters at a time. The section ends at its closing line, at
// a blank line (unless the job finds the next part of a file posted in parts
// after it), or at the end of the stream; the ending line is consumed. A line
// that opens another section ends it too, cut short, and is left unread.
// Lines that cannot be data (part and cut lines of a split posting, prose)
// are passed over.

#include <algorithm>

#include "codecs/UUXXDecoder.h"
#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/HeaderLines.h"
#include "jobs/HeaderRecognisers.h"
#include "jobs/LineRunSupport.h"
#include "jobs/TextDecoderSupport.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 1830;

}  // namespace

SectionResult DecodeUUXX(DecodeContext& job, TextStream& in, char* buffer, const DecodeTable& table,
                         uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  const bool xx = &table == job.m_pXXTable;
  const char* alphabet = xx ? job.m_pXXAlphabet : job.m_pUUAlphabet;
  const UUXXDecoder codec(table, alphabet);
  const HeaderTables headers{job.m_pUUAlphabet, job.m_pXXAlphabet, job.m_pBinHexTable};
  // The job's work buffer holds at least 280 bytes; writing it out whenever
  // fewer than a piece's bytes would stay free keeps every piece inside it.
  const size_t capacity = static_cast<size_t>(std::max(job.m_nBufSize, 0));
  auto* work = reinterpret_cast<unsigned char*>(buffer);
  size_t pending = 0;

  // Runs of ordinary lines are decoded straight from the stream when the
  // table and the alphabet are the standard ones.
  const SixBitCode& code = xx ? XXCode() : UUCode();
  const bool runs = IsStandardSixBitTable(code, table, alphabet);
  const ByteSet noStops;
  auto writeOut = [&] {
    out.Write(buffer, pending);
    pending = 0;
    return window.CancelRequested();
  };

  decoding::PieceReader reader(in);
  char piece[decoding::PieceReader::kPieceSize];
  size_t length = 0;
  bool endsLine = false;
  CodecStatus status = CodecStatus::CutShort;
  bool anyData = false;     // a line that was data
  bool passedOver = false;  // a line that was not
  // At the end of the stream a file posted in parts may go on elsewhere.
  for (;;) {
    if (runs && reader.AtLineStart()) {
      size_t lines = 0;
      const decoding::RunTarget target{work, capacity, UUXXDecoder::kMaxBytesPerPiece, pending,
                                       progress};
      // Lines of UU and XX data open no section, whatever their first character.
      if (decoding::TakeLineRuns(
              in, code, noStops, target, writeOut, [] { return false; }, lines) ==
          decoding::RunsEnd::Stop)
        return out.Discard();
      anyData = anyData || lines > 0;
    }
    if (!reader.Next(piece, length, endsLine) &&
        !(job.FindContinuation(in) && reader.Next(piece, length, endsLine)))
      break;
    size_t produced = 0;
    const CodecStatus step = codec.Piece(std::string_view(piece, length), work + pending, produced);
    if (step == CodecStatus::NotData) {
      // A part marker line: the part before it has ended.
      int part = 0, total = 0;
      if (reader.StartsLine() && ParsePartMarker(std::string_view(piece, length), part, total)) {
        const uint64_t afterPiece = in.Tell();
        in.Seek(reader.PieceStart());
        const DecodeContext::MarkerStep next = job.PartMarkerInData(in, part);
        if (next == DecodeContext::MarkerStep::Moved) continue;
        in.Seek(afterPiece);
        if (next == DecodeContext::MarkerStep::Ends) break;
      }
      // Only a line that is not data can open a section.
      if (reader.StartsLine() && MayOpenSection(static_cast<unsigned char>(piece[0]))) {
        const uint64_t afterPiece = in.Tell();
        in.Seek(reader.PieceStart());
        if (LineOpensSection(in, headers)) {
          // Parts read out of order, or parts posted as messages of a
          // mailbox: the next part goes on elsewhere.
          if ((job.ReadingFurtherPart() || LineEndsMessage(in)) && job.FindContinuation(in))
            continue;
          break;
        }
        in.Seek(afterPiece);
      }
      passedOver = true;
      continue;
    }
    if (step == CodecStatus::Done) {
      status = step;
      break;
    }
    if (step == CodecStatus::Gap) {
      // A file posted in parts goes on after the gap between two parts.
      if (job.FindContinuation(in)) continue;
      break;
    }
    anyData = true;
    pending += produced;
    if (pending + UUXXDecoder::kMaxBytesPerPiece > capacity) {
      out.Write(buffer, pending);
      pending = 0;
      // A stop asked for is heeded each time the work buffer is written.
      if (window.CancelRequested()) return out.Discard();
    }
    progress.Count(1);
  }

  if (pending > 0) out.Write(buffer, pending);
  // A section none of whose lines were data (another format's data under a
  // begin line) is reported, not saved as an empty file that looks whole.
  if (passedOver && !anyData) status = CodecStatus::NotData;
  return {out.EndSection(), status};
}

}  // namespace twick
