// Reads one yEnc section from its "=ybegin" line and drives YEncDecoder over
// it. A file in parts is read part by part in part order (the job's plan
// finds them), each part's bytes placed at the offset its "=ypart" line
// gives. A part ends at its "=yend" line; another "=ybegin" line, a line
// that opens another kind of section, or the end of the stream ends it cut
// short. Lengths and CRC-32 values that do not match, and bytes no part
// holds, are reported; the output is kept as decoded.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "codecs/Crc32.h"
#include "codecs/YEncDecoder.h"
#include "core/Messages.h"
#include "core/ProgressCounter.h"
#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "jobs/DecoderOutput.h"
#include "jobs/HeaderRecognisers.h"
#include "jobs/YEncLines.h"

namespace twick {

namespace {

constexpr uint64_t kProgressDivisor = 1800;
/// The output buffer: decoded bytes are collected there and written out
/// when less than kMinStep is left free, so writes are large.
constexpr size_t kChunk = 128 * 1024;
/// The fewest characters a step takes (unless the stream ends): the stream
/// reads on when fewer are left in its buffer, and moves what is left to its
/// front, so a small value keeps that copy small.
constexpr size_t kMinStep = 4096;

/// The first characters of lines that may open another kind of section. A
/// MIME boundary is not looked for: "--" and no blanks is yEnc data too.
std::array<bool, 256> OtherSectionOpeners() {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[static_cast<size_t>(c)] = MayOpenSection(static_cast<unsigned char>(c));
  table['-'] = false;
  table['='] = false;  // "=y" lines are the decoder's to find
  return table;
}

std::string Hex(uint32_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text(8, '0');
  for (int k = 7; k >= 0; --k, value >>= 4) text[static_cast<size_t>(k)] = kDigits[value & 0xF];
  return text;
}

/// One part's (or a whole single-part file's) run of data lines.
struct PartRead {
  uint64_t bytes = 0;
  uint32_t crc = 0;
  bool ended = false;  // its "=yend" line was read
  YEncFields end;
};

class YEncReader {
 public:
  YEncReader(DecodeContext& job, TextStream& in, DecoderOutput& out, ProgressCounter& progress)
      : job_(job), in_(in), out_(out), progress_(progress), decoder_(&openers_),
        bytes_(std::make_unique<unsigned char[]>(kChunk)) {}

  /// Reads the data lines from the stream's position up to the part's end
  /// line, writing the bytes from the `skip`th on. False when the user
  /// asked to stop.
  bool ReadPart(uint64_t skip, PartRead& part) {
    if (!ReadLines(skip, part)) return false;
    Flush();
    return true;
  }

 private:
  bool ReadLines(uint64_t skip, PartRead& part) {
    const HeaderTables headers{job_.m_pUUAlphabet, job_.m_pXXAlphabet, job_.m_pBinHexTable};
    decoder_.Reset();
    for (;;) {
      if (job_.m_window.CancelRequested()) return false;
      if (kChunk - fill_ < kMinStep) Flush();
      std::string_view text = in_.Buffered(kMinStep);
      if (text.empty()) return true;  // cut short
      size_t size = std::min(text.size(), kChunk - fill_);
      YEncStep step = decoder_.Decode(text.data(), size, bytes_.get() + fill_, false);
      if (step.stop == YEncStep::Stop::WantsMore && step.consumed == 0) {
        // At the end of the stream nothing more will come.
        text = in_.Buffered(size + 1);
        if (text.size() <= size)
          step = decoder_.Decode(text.data(), size, bytes_.get() + fill_, true);
      }
      Take(step, skip, part);
      in_.Advance(step.consumed);
      progress_.CountEveryStep(step.consumed);
      if (step.stop == YEncStep::Stop::KeywordLine) {
        const uint64_t lineStart = in_.Tell();
        std::string_view line;
        in_.ReadLine(line);
        if (ParseYEncLine(line, "=yend", part.end)) {
          part.ended = true;
          return true;
        }
        if (line.starts_with("=ybegin")) {
          in_.Seek(lineStart);  // the next section's header
          return true;
        }
        continue;  // another keyword line ("=ypart" again): passed over
      }
      if (step.stop == YEncStep::Stop::FlaggedLine) {
        if (LineOpensSection(in_, headers)) return true;
        decoder_.TakeLineAsData();
      }
    }
  }

  /// Counts the bytes a step decoded and keeps them, less those of an
  /// earlier part again.
  void Take(const YEncStep& step, uint64_t& skip, PartRead& part) {
    if (step.produced == 0) return;
    unsigned char* fresh = bytes_.get() + fill_;
    part.crc = Crc32Span(part.crc, fresh, step.produced);
    part.bytes += step.produced;
    const size_t dropped = static_cast<size_t>(std::min<uint64_t>(skip, step.produced));
    skip -= dropped;
    if (dropped > 0) std::memmove(fresh, fresh + dropped, step.produced - dropped);
    fill_ += step.produced - dropped;
  }

  void Flush() {
    if (fill_ > 0) out_.Write(reinterpret_cast<const char*>(bytes_.get()), fill_);
    fill_ = 0;
  }

  DecodeContext& job_;
  TextStream& in_;
  DecoderOutput& out_;
  ProgressCounter& progress_;
  const std::array<bool, 256> openers_ = OtherSectionOpeners();
  YEncDecoder decoder_;
  std::unique_ptr<unsigned char[]> bytes_;
  size_t fill_ = 0;  // bytes kept in bytes_, not yet written
};

/// Writes `count` zero bytes: where no part held the bytes of the file.
void WriteZeros(DecoderOutput& out, uint64_t count) {
  static const std::array<char, 4096> kZeros{};
  for (; count > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(count, kZeros.size()));
    out.Write(kZeros.data(), n);
    count -= n;
  }
}

}  // namespace

SectionResult DecodeYEnc(DecodeContext& job, TextStream& in, char* /*buffer*/,
                         uint64_t sectionStart) {
  JobWindow& window = job.m_window;
  ProgressCounter progress(window, in.LengthFrom(sectionStart), kProgressDivisor);
  window.SetProgressPos(0);

  DecoderOutput out(job);
  if (!out.Create()) return {};
  window.BeginWaitCursor();

  std::string_view line;
  YEncFields file;
  in.Seek(sectionStart);
  if (!in.ReadLine(line)) line = {};
  ParseYEncLine(line, "=ybegin", file);
  // A file in parts is read from its lowest part on, wherever that stands.
  const bool inParts = file.hasPart && job.FindContinuation(in);
  if (!inParts) in.Seek(sectionStart);

  YEncReader reader(job, in, out, progress);
  std::string detail;
  auto note = [&detail](const std::string& text) { detail += (detail.empty() ? "" : "\n") + text; };
  uint64_t written = 0;   // bytes of the file written so far
  uint32_t wholeCrc = 0;  // their CRC, while every part was read whole
  bool crcKnown = true;
  bool cutShort = false;
  uint64_t missingBytes = 0;
  YEncFields last;  // the last end line read
  int partsRead = 0;
  const uint64_t sourceLength = in.LengthFrom(0);
  do {
    YEncFields header;
    in.ReadLine(line);
    ParseYEncLine(line, "=ybegin", header);
    const std::string which = header.hasPart ? "Part " + std::to_string(header.part) : "The file";
    // The part's place in the file.
    uint64_t place = written;
    YEncFields span;
    const uint64_t afterHeader = in.Tell();
    if (header.hasPart && in.ReadLine(line) && ParseYEncLine(line, "=ypart", span) &&
        span.hasBegin) {
      place = span.begin - 1;
    } else {
      in.Seek(afterHeader);
      span = YEncFields();
    }
    if (place > written && (!file.hasSize || place > file.size)) {
      // A place beyond the file's end (or in a file of unknown length) is
      // not filled up to: the part follows the bytes before it.
      note(which + " begins at byte " + std::to_string(place + 1) + ", beyond the file's length.");
      place = written;
    }
    if (place > written) {
      // Bytes between the last part and this one were in no part: zeros
      // keep the later bytes at their offsets, unless the gap is longer
      // than the whole source (a header no posting of it can be trusted on).
      missingBytes += place - written;
      crcKnown = false;
      if (place - written <= sourceLength) {
        WriteZeros(out, place - written);
        written = place;
      } else {
        place = written;
      }
    }
    const uint64_t skip = written - place;  // bytes of an earlier part again
    if (skip > 0) crcKnown = false;
    PartRead part;
    if (!reader.ReadPart(skip, part)) return out.Discard();
    ++partsRead;
    written = std::max(written, place + part.bytes);
    if (crcKnown) wholeCrc = Crc32Combine(wholeCrc, part.crc, part.bytes);
    if (!part.ended) {
      cutShort = true;
      break;
    }
    last = part.end;
    if (skip > 0) note(which + " overlaps the part before it.");
    uint64_t expected = 0;
    const bool lengthKnown = header.hasPart ? (span.hasBegin && span.hasEnd) : header.hasSize;
    if (lengthKnown) expected = header.hasPart ? span.end - span.begin + 1 : header.size;
    if (part.end.hasSize && !lengthKnown) expected = part.end.size;
    if ((lengthKnown || part.end.hasSize) && part.bytes != expected) {
      note(which + " has " + std::to_string(part.bytes) + " bytes; its header gives " +
           std::to_string(expected) + ".");
    }
    // A single part's CRC-32 may stand as either value.
    const bool hasCrc = part.end.hasPartCrc || (!header.hasPart && part.end.hasCrc);
    const uint32_t wantCrc = part.end.hasPartCrc ? part.end.partCrc : part.end.crc;
    if (hasCrc && part.crc != wantCrc)
      note(which + " has CRC-32 " + Hex(part.crc) + "; its end line gives " + Hex(wantCrc) + ".");
  } while (inParts && job.FindContinuation(in));

  // The whole file, when it was read in parts: its length and CRC-32. Parts
  // the numbering misses are reported by the job.
  const bool partsMissing = file.hasTotal && partsRead < file.total;
  if (inParts && !cutShort && !partsMissing) {
    if (file.hasSize && written < file.size) missingBytes += file.size - written;
    if (missingBytes > 0) {
      note(std::to_string(missingBytes) + " bytes of the file are in no part.");
    } else if (file.hasSize && written != file.size) {
      note("The file has " + std::to_string(written) + " bytes; its header gives " +
           std::to_string(file.size) + ".");
    } else if (last.hasCrc && crcKnown && wholeCrc != last.crc) {
      note("The file has CRC-32 " + Hex(wholeCrc) + "; its end line gives " + Hex(last.crc) + ".");
    }
  }

  SectionResult result{out.EndSection(), CodecStatus::Done};
  if (!result.written || in.Failed()) return result;
  if (!detail.empty()) {
    window.ShowMessage(YEncChecksText(job.m_strOutput, detail), kContentErrorCaption,
                       MessageIcon::Stop);
    result.status = CodecStatus::ChecksWrong;
  }
  if (cutShort) result.status = CodecStatus::CutShort;
  return result;
}

}  // namespace twick
