#include "jobs/EncodeSteps.h"

#include <memory>
#include <string>

#include "codecs/Base64Encoder.h"
#include "codecs/BtoaEncoder.h"
#include "codecs/UUEncoder.h"
#include "core/Messages.h"
#include "core/ProgressCounter.h"

namespace twick {

namespace {

/// The bar steps each time the bytes counted reach the input's length / 30.
constexpr uint64_t kProgressDivisor = 30;

/// How a format's text is read, written and counted.
struct BlockLayout {
  /// Bytes read at once (whole lines or words).
  size_t blockSize;
  /// The output buffer.
  size_t bufferSize;
  /// Steps end at a unit that may step the bar: lines of 45 bytes, words.
  size_t stepUnit;
  /// The bar counts bytes in whole units of this many (a short last btoa
  /// word counts as four).
  size_t countUnit;
  /// The text of each block is written in one piece; otherwise the buffer
  /// is written after the unit that leaves less room than a unit needs.
  bool writeEachBlock;
};

// 45 lines a block, so a block ends at a line end; the buffer holds a
// block's text. btoa: 156 words a block; the text goes out in pieces of a
// little more than 1573 characters.
constexpr BlockLayout kBase64Layout{2025, 2791, Base64Encoder::kLineBytes, 1, true};
constexpr BlockLayout kUULayout{2025, 45 * 63, UUEncoder::kLineBytes, 1, true};
constexpr BlockLayout kBtoaLayout{624, 1580, 4, 4, false};
static_assert(kBase64Layout.blockSize / 45 * Base64Encoder::kMaxUnitOutput <=
              kBase64Layout.bufferSize);
static_assert(kUULayout.blockSize / 45 * UUEncoder::kMaxUnitOutput <= kUULayout.bufferSize);

size_t RoundUp(uint64_t n, size_t unit) {
  return static_cast<size_t>((n + unit - 1) / unit * unit);
}

bool WriteEncoded(EncodeContext& job, OutputSink& out, const char* data, size_t size) {
  if (size == 0 || out.Write(data, size)) return true;
  ReportOutputFailure(job);
  return false;
}

bool WriteEncoded(EncodeContext& job, OutputSink& out, const std::string& text) {
  return WriteEncoded(job, out, text.data(), text.size());
}

/// Where the codec's text is made: in room the output lends, so that it is
/// not copied again, or else in `own` and written from there. Either way the
/// output gets the same pieces.
class TextArea {
 public:
  TextArea(OutputSink& out, char* own, size_t size) : out_(out), own_(own), size_(size) {}

  /// The start of `size` characters of room, the same until HandOn.
  char* Start() {
    if (start_ == nullptr) {
      start_ = out_.Reserve(size_);
      lent_ = start_ != nullptr;
      if (!lent_) start_ = own_;
    }
    return start_;
  }

  /// Hands on the first `fill` characters made at Start.
  bool HandOn(EncodeContext& job, size_t fill) {
    const bool lent = lent_ && start_ != nullptr;
    start_ = nullptr;
    if (fill == 0 || (lent ? out_.Commit(fill) : out_.Write(own_, fill))) return true;
    ReportOutputFailure(job);
    return false;
  }

 private:
  OutputSink& out_;
  char* own_;
  size_t size_;
  char* start_ = nullptr;
  bool lent_ = false;
};

/// Runs `codec` over the whole source.
template <typename Codec>
EncodeEnd RunCodec(EncodeContext& job, InputFile& in, OutputSink& out, Codec& codec,
                   const BlockLayout& layout) {
  std::unique_ptr<char[]> block = job.m_allocator.Allocate(layout.blockSize);
  std::unique_ptr<char[]> output = block ? job.m_allocator.Allocate(layout.bufferSize) : nullptr;
  if (!output) {
    job.m_window.ShowMessage(kNoEncodeMemoryText, kMemoryErrorCaption, MessageIcon::Stop);
    return EncodeEnd::Failed;
  }
  ProgressCounter progress(job.m_window, in.Length(), kProgressDivisor);
  if (!WriteEncoded(job, out, codec.Begin(job.m_strTitle))) return EncodeEnd::Failed;

  TextArea text(out, output.get(), layout.bufferSize);
  size_t fill = 0;
  for (;;) {
    if (job.m_window.CancelRequested()) return EncodeEnd::Cancelled;
    const char* data = nullptr;
    const long long got = in.ReadView(block.get(), layout.blockSize, data);
    if (got < 0) {
      job.m_window.ShowMessage(kUnreadableSourceText, kFileErrorCaption, MessageIcon::Stop);
      return EncodeEnd::Failed;
    }
    if (got == 0) break;
    const auto size = static_cast<size_t>(got);
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    // A short block is the end of the source as it stands: its last line or
    // word is written short.
    const bool shortBlock = size < layout.blockSize;
    for (size_t at = 0; at < size;) {
      // Each step ends at the unit that steps the bar, so the bar steps
      // after the same units as if each were counted by itself.
      const size_t run = std::min(size - at, RoundUp(progress.UnitsBeforeStep(), layout.stepUnit));
      const EncodeStep step =
          codec.Encode(bytes + at, run, text.Start() + fill, layout.bufferSize - fill,
                       shortBlock && at + run == size);
      at += step.consumed;
      fill += step.produced;
      const bool full = layout.bufferSize - fill < Codec::kMaxUnitOutput;
      if (full && (!layout.writeEachBlock || step.consumed < run)) {
        if (!text.HandOn(job, fill)) return EncodeEnd::Failed;
        fill = 0;
      }
      progress.Count(RoundUp(step.consumed, layout.countUnit));
    }
    if (layout.writeEachBlock) {
      if (!text.HandOn(job, fill)) return EncodeEnd::Failed;
      fill = 0;
    }
  }

  if (layout.bufferSize - fill < Codec::kMaxFinishOutput) {
    if (!text.HandOn(job, fill)) return EncodeEnd::Failed;
    fill = 0;
  }
  fill += codec.Finish(text.Start() + fill).produced;
  if (!text.HandOn(job, fill)) return EncodeEnd::Failed;
  if (!WriteEncoded(job, out, codec.EndLines())) return EncodeEnd::Failed;
  progress.Finish();
  return EncodeEnd::Written;
}

}  // namespace

void ReportOutputFailure(EncodeContext& job) {
  job.m_window.ShowMessage(OutputFailedText(job.m_strOutput, kEncodingAbortedText),
                           kFileErrorCaption, MessageIcon::Stop);
}

EncodeEnd EncodeSource(EncodeContext& job, InputFile& in, OutputSink& out) {
  switch (job.m_nCodeFormat) {
    case kFormatBase64: {
      Base64Encoder codec(job.m_pB64Alphabet);
      return RunCodec(job, in, out, codec, kBase64Layout);
    }
    case kFormatUU: {
      UUEncoder codec(job.m_pUUAlphabet, '`');
      return RunCodec(job, in, out, codec, kUULayout);
    }
    case kFormatXX: {
      UUEncoder codec(job.m_pXXAlphabet, '+');
      return RunCodec(job, in, out, codec, kUULayout);
    }
    case kFormatBtoa: {
      BtoaEncoder codec;
      return RunCodec(job, in, out, codec, kBtoaLayout);
    }
    default: return EncodeEnd::Failed;
  }
}

}  // namespace twick
