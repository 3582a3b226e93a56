// Decodes one MIME Base64 section. Every character of a data line is looked
// up in the Base64 table; nothing is validated. Groups of four run across
// line ends. The section ends at a blank line (unless the caller finds the
// next part of a file posted in parts), at a line beginning with "--" (a
// MIME boundary), at a line "====" under a begin-base64 header, or at the end
// of the stream; the ending line is consumed.

#include <algorithm>
#include <cstring>

#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/TextDecoderSupport.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 1800;
// One 80-character piece gives at most 20 groups of three bytes.
constexpr size_t kMaxBytesPerPiece = 60;

}  // namespace

SectionResult DecodeBase64(DecodeContext& job, TextStream& in, char* buffer,
                           uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  const SpreadTable table(*job.m_pB64Table);
  // The job's work buffer holds at least 280 bytes; writing it out whenever
  // fewer than 60 bytes would stay free keeps every piece inside it.
  const size_t capacity = static_cast<size_t>(std::max(job.m_nBufSize, 0));
  decoding::PieceReader reader(in);
  // Up to three characters carried from the piece before, a piece, up to
  // three "=" of padding, and slack.
  char line[3 + decoding::PieceReader::kPieceSize + 8];
  size_t carried = 0;
  size_t length = 0;
  bool endsLine = false;
  size_t pending = 0;

  // Decodes the first `length` characters of `line` (a multiple of four).
  auto decode = [&](size_t size) {
    DecodeQuads(table, reinterpret_cast<const unsigned char*>(line), size,
                reinterpret_cast<unsigned char*>(buffer + pending));
    // Each trailing "=" (from the source or from the padding) drops one byte
    // of these groups, never a byte of earlier ones.
    const size_t produced = size / 4 * 3;
    size_t equals = 0;
    while (equals < size && line[size - 1 - equals] == '=') ++equals;
    pending += produced - std::min(equals, produced);
    if (pending + kMaxBytesPerPiece > capacity) {
      out.Write(buffer, pending);
      pending = 0;
    }
  };

  // Line ends carry no meaning: a group cut by one continues on the next line.
  // At a blank line or the end of the stream, a file posted in parts may go
  // on with its next part.
  while (reader.Next(line + carried, length, endsLine) ||
         (job.FindContinuation(in) && reader.Next(line + carried, length, endsLine))) {
    const char* piece = line + carried;
    if (length == 0) {
      if (job.FindContinuation(in)) continue;
      break;
    }
    if (length >= 2 && piece[0] == '-' && piece[1] == '-') break;  // boundary
    // A line of four "=" closes a begin-base64 section.
    if (job.m_bEqualsLineEnds && length == 4 && endsLine && std::memcmp(piece, "====", 4) == 0)
      break;
    const size_t total = carried + length;
    const size_t whole = total / 4 * 4;
    if (whole > 0) decode(whole);
    carried = total - whole;
    std::memmove(line, line + whole, carried);
    progress.Count(1);
  }
  if (carried > 0) {
    while (carried % 4 != 0) line[carried++] = '=';
    decode(carried);
  }

  if (pending > 0) out.Write(buffer, pending);
  return {out.EndSection(), CodecStatus::Done};
}

}  // namespace twick
