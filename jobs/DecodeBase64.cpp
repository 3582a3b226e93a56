// Reads one MIME Base64 section and drives the Base64 codec over it. The
// section ends where the codec says, at a blank line (unless the job finds
// the next part of a file posted in parts), or at the end of the stream; the
// ending line is consumed, except a MIME boundary, which is left unread. A
// line that opens another section ends it too, cut short, and is left unread
// (the next message of a mailbox ends a MIME body as a blank line does); so
// does the end of the stream before the
// "====" line of a begin-base64 section. A line that is no data (a cut line,
// a posting program's part line, prose) is passed over.

#include <algorithm>
#include <array>
#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/Base64Decoder.h"
#include "codecs/ByteSet.h"
#include "core/ProgressCounter.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/HeaderRecognisers.h"
#include "jobs/LineRunSupport.h"
#include "jobs/TextDecoderSupport.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 1800;

/// Whether a line (or piece of one) holds a character that no Base64 line does: one
/// outside the alphabet other than "=" and the blanks a line may end with.
/// A MIME boundary ("--" and no blanks) is left to the codec, which ends the
/// body there.
bool IsNotData(std::string_view line) {
  static const ByteSet alphabet = [] {
    ByteSet in;
    for (const char* c = Base64Alphabet; *c != 0; ++c) in.Add(static_cast<unsigned char>(*c));
    in.Add('=');
    return in;
  }();
  size_t end = line.size();
  while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) --end;
  line = line.substr(0, end);
  if (line.size() >= 2 && line[0] == '-' && line[1] == '-' &&
      line.find_first_of(" \t") == std::string_view::npos)
    return false;
  return !AllInByteSet(alphabet, line);
}

/// Whether a piece that starts a line is Base64 data through and through:
/// only alphabet characters, a whole number of groups. Such a line is data
/// even where its first letters spell a header ("xbtoa" opens a btoa
/// section without a blank after it): no header written by any encoder
/// looks like it, and taking one for a header would cut the body short.
bool IsWholeGroupsLine(std::string_view piece) {
  static const ByteSet alphabet = [] {
    ByteSet in;
    for (const char* c = Base64Alphabet; *c != 0; ++c) in.Add(static_cast<unsigned char>(*c));
    return in;
  }();
  return !piece.empty() && piece.size() % 4 == 0 && AllInByteSet(alphabet, piece);
}

}  // namespace

SectionResult DecodeBase64(DecodeContext& job, TextStream& in, char* buffer,
                           uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  window.SetProgressPos(0);
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  decoding::PieceReader reader(in);
  Base64Decoder codec(*job.m_pB64Table, job.m_bEqualsLineEnds);
  const HeaderTables headers{job.m_pUUAlphabet, job.m_pXXAlphabet, job.m_pBinHexTable};
  // A boundary is how a MIME body ends; under begin-base64 it cuts the
  // section short like any other opening line.
  auto opensSection = [&](const char* piece, size_t size) {
    const auto first = static_cast<unsigned char>(piece[0]);
    if (!MayOpenSection(first) || (first == '-' && !job.m_bEqualsLineEnds)) return false;
    if (IsWholeGroupsLine(std::string_view(piece, size))) return false;
    const uint64_t afterPiece = in.Tell();
    in.Seek(reader.PieceStart());
    if (LineOpensSection(in, headers)) return true;
    in.Seek(afterPiece);
    return false;
  };
  // The job's work buffer holds at least 280 bytes; writing it out whenever
  // fewer than a piece's bytes would stay free keeps every piece inside it.
  const size_t capacity = static_cast<size_t>(std::max(job.m_nBufSize, 0));
  auto* work = reinterpret_cast<unsigned char*>(buffer);
  size_t pending = 0;
  bool cancelled = false;
  auto take = [&](size_t produced) {
    pending += produced;
    if (pending + Base64Decoder::kMaxBytesPerPiece > capacity) {
      out.Write(buffer, pending);
      pending = 0;
      // A stop asked for is heeded each time the work buffer is written.
      cancelled = window.CancelRequested();
    }
  };

  // Runs of ordinary lines are decoded straight from the stream when the
  // table is the standard one and no group is open. An ordinary line is
  // whole groups of the alphabet, so none of them opens a section.
  const bool runs = IsStandardSixBitTable(Base64Code(), *job.m_pB64Table, nullptr);
  auto writeOut = [&] {
    out.Write(buffer, pending);
    pending = 0;
    return window.CancelRequested();
  };
  const decoding::RunTarget target{work, capacity, Base64Decoder::kMaxBytesPerPiece, pending,
                                   progress};

  char piece[decoding::PieceReader::kPieceSize];
  size_t length = 0;
  bool endsLine = false;
  CodecStatus ending = CodecStatus::Done;
  bool closed = false;  // by "====" or a boundary
  // Line ends carry no meaning to Base64. At a blank line or the end of the
  // stream, a file posted in parts may go on with its next part.
  for (;;) {
    bool opens = false;
    if (runs && reader.AtLineStart() && codec.HoldsNoCharacters()) {
      size_t lines = 0;
      const decoding::RunsEnd end = decoding::TakeLineRuns(
          in, Base64Code(), ByteSet(), target, writeOut, [] { return false; }, lines);
      if (end == decoding::RunsEnd::Stop) return out.Discard();
      opens = end == decoding::RunsEnd::Opens;
    }
    if (!opens) {
      if (!reader.Next(piece, length, endsLine) &&
          !(job.FindContinuation(in) && reader.Next(piece, length, endsLine)))
        break;
      opens = length > 0 && reader.StartsLine() && opensSection(piece, length);
    }
    if (opens) {
      // The next message of a mailbox ends a MIME body as a blank line
      // does; a begin-base64 section still wants its "====" line.
      if (!job.m_bEqualsLineEnds && LineEndsMessage(in)) {
        if (job.FindContinuation(in)) continue;
        break;
      }
      ending = CodecStatus::CutShort;
      break;
    }
    // Each piece of a long line is judged as a line of its own.
    if (length > 0 && IsNotData(std::string_view(piece, length))) continue;
    size_t produced = 0;
    const CodecStatus status =
        codec.Piece(std::string_view(piece, length), endsLine, work + pending, produced);
    if (status == CodecStatus::Gap) {
      if (job.FindContinuation(in)) continue;
      break;
    }
    if (status == CodecStatus::Done) {
      // A boundary line is left to the scanner, which learns from it where
      // the next part begins (or that the parts have ended).
      if (!job.m_bEqualsLineEnds && reader.StartsLine()) in.Seek(reader.PieceStart());
      closed = true;
      break;
    }
    if (produced > 0) take(produced);
    if (cancelled) return out.Discard();
    progress.Count(1);
  }
  if (const size_t produced = codec.Finish(work + pending)) take(produced);
  if (job.m_bEqualsLineEnds && !closed && !in.Failed()) ending = CodecStatus::CutShort;

  if (pending > 0) out.Write(buffer, pending);
  return {out.EndSection(), ending};
}

}  // namespace twick
