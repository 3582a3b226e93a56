#pragma once
// Decoding runs of ordinary Base64, UU or XX lines straight from the text
// stream's buffer, with the effects the piece-by-piece loop of the section
// readers has on those lines: the stream reads from the file, the work
// buffer is written out, a stop is heeded and progress is counted at the
// same lines.

#include <cstddef>
#include <string_view>

#include "codecs/LineRuns.h"
#include "core/ProgressCounter.h"
#include "core/TextStream.h"
#include "jobs/TextDecoderSupport.h"

namespace twick::decoding {

static_assert(kLineRunLookahead == PieceReader::kPieceSize + 1,
              "a run must not read ahead of what the piece reader would");

/// Why TakeLineRuns handed the stream back.
enum class RunsEnd {
  OtherLine,  // the line at the read position is for the piece loop
  Stop,       // a stop was asked for when the work buffer was written out
  Opens,      // the line at the read position opens a section
};

/// The work buffer of a section reader and what the piece loop does with it.
struct RunTarget {
  unsigned char* work;
  size_t capacity;      // the work buffer's size
  size_t mostPerPiece;  // the most bytes one piece gives
  size_t& pending;      // bytes waiting in the buffer
  ProgressCounter& progress;
};

/// Decodes the ordinary lines at the stream's read position (a line start)
/// into the work buffer, line after line, and moves the stream past them.
/// The piece loop writes the buffer out after the piece that leaves fewer
/// than mostPerPiece bytes free, and each piece counts one unit of
/// progress; so do these lines. `writeOut` writes the buffer out, empties
/// it and returns whether a stop was asked for. An ordinary line that begins
/// with a character of `stopFirst` is asked `opens` about (the stream at its
/// start) as the piece loop would ask, and taken when it opens no section. `lines` counts the lines
/// taken.
template <typename WriteOut, typename Opens>
RunsEnd TakeLineRuns(TextStream& in, const SixBitCode& code, const ByteSet& stopFirst,
                     const RunTarget& target, WriteOut&& writeOut, Opens&& opens, size_t& lines) {
  size_t& pending = target.pending;
  const size_t capacity = target.capacity;
  const size_t most = target.mostPerPiece;
  lines = 0;
  // Takes the lines of `run` into the buffer; false when a stop was asked
  // for.
  auto commit = [&](const LineRun& run) {
    lines += run.lines;
    pending += run.produced;
    if (pending + most <= capacity) {
      target.progress.CountEveryStep(run.lines);
      return true;
    }
    target.progress.CountEveryStep(run.lines - 1);
    if (writeOut()) return false;
    target.progress.Count(1);
    return true;
  };
  for (;;) {
    if (pending + most > capacity || most < kLineRunMostBytes) return RunsEnd::OtherLine;
    // The piece reader asks for as many bytes at a line start, so the stream
    // reads from the file at the same points.
    const std::string_view text = in.Buffered(kLineRunLookahead);
    if (text.size() < kLineRunLookahead) return RunsEnd::OtherLine;
    LineRun run = DecodeLineRun(code, text, target.work + pending, capacity - pending,
                                capacity - most - pending, stopFirst);
    if (run.lines == 0) return RunsEnd::OtherLine;
    if (!run.lastStops) {
      in.Advance(run.taken);
      if (!commit(run)) return RunsEnd::Stop;
      continue;
    }
    // The last line may open a section: the lines before it are kept (none
    // of them fills the buffer, or the run would have stopped there), and it
    // is kept only when it opens none. Asking may move the buffer's
    // contents; the line's bytes are decoded already.
    const LineRun last{run.lastTaken, run.lastProduced, 1};
    run.taken -= last.taken;
    run.produced -= last.produced;
    run.lines -= 1;
    in.Advance(run.taken);
    if (run.lines > 0 && !commit(run)) return RunsEnd::Stop;
    const uint64_t lineEnd = in.Tell() + last.taken;
    if (opens()) return RunsEnd::Opens;
    in.Seek(lineEnd);
    if (!commit(last)) return RunsEnd::Stop;
  }
}

}  // namespace twick::decoding
