// Decodes one UU or XX section; the two differ only in the table. Each data
// line is a count character followed by groups of four characters. The
// section ends at a blank line (unless the caller finds the next part of a
// file posted in parts after it), at a line that is exactly "`", "+", "~" or
// "end" (any case), or at the end of the stream; the ending line is consumed.

#include <algorithm>

#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/TextDecoderSupport.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 1830;
// 79 data characters of a piece, padded to 80, give 20 groups of three bytes.
constexpr size_t kMaxBytesPerPiece = 60;

}  // namespace

SectionResult DecodeUUXX(DecodeContext& job, TextStream& in, char* buffer, const DecodeTable& table,
                         uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  // The job's work buffer holds at least 280 bytes; writing it out whenever
  // fewer than 60 bytes would stay free keeps every piece inside it.
  const size_t capacity = static_cast<size_t>(std::max(job.m_nBufSize, 0));
  const SpreadTable spread(table);
  decoding::PieceReader reader(in);
  // A piece, up to three "~" of padding, and slack.
  char line[decoding::PieceReader::kPieceSize + 8];
  size_t length = 0;
  bool endsLine = false;
  size_t pending = 0;

  bool closed = false;
  // At the end of the stream a file posted in parts may go on elsewhere.
  while (reader.Next(line, length, endsLine) ||
         (job.FindContinuation(in) && reader.Next(line, length, endsLine))) {
    if (decoding::IsClosingLine(std::string_view(line, length))) {
      closed = true;
      break;
    }
    if (length == 0) {
      // A file posted in parts goes on after the gap between two parts.
      if (job.FindContinuation(in)) continue;
      break;
    }
    // "~" reads as 0: it stands in for trailing blanks a mailer removed.
    while ((length - 1) % 4 != 0) line[length++] = '~';

    const auto* src = reinterpret_cast<const unsigned char*>(line);
    // The groups follow the count character.
    DecodeQuads(spread, src + 1, length - 1, reinterpret_cast<unsigned char*>(buffer + pending));
    // The count character cuts the line's bytes to the announced number; a
    // count larger than the data adds nothing.
    const size_t produced = (length - 1) / 4 * 3;
    const int64_t count = std::max<int64_t>(table[src[0]], 0);
    const size_t kept =
        static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(produced)));
    pending += kept;

    if (pending + kMaxBytesPerPiece > capacity) {
      out.Write(buffer, pending);
      pending = 0;
    }
    progress.Count(1);
  }

  if (pending > 0) out.Write(buffer, pending);
  return {out.EndSection(), closed ? CodecStatus::Done : CodecStatus::CutShort};
}

}  // namespace twick
