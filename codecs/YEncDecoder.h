#pragma once
// yEnc data lines back to bytes: each character stands for its value minus
// 42 (mod 256); "=" escapes the next character, which stands for its value
// minus 106; CR and LF are line ends, never data; a line beginning ".." has
// had its first dot added by the news transport and loses it. Lines may be
// of any length. The decoder keeps its state between calls, so an escape or
// a line end may fall across the end of a block.

#include <array>
#include <cstddef>

namespace twick {

struct YEncStep {
  /// Characters taken, and bytes written to the output.
  size_t consumed = 0;
  size_t produced = 0;
  /// Why it stopped before the end of the text: at the start of a line
  /// beginning "=y" (a keyword line: "=yend", "=ypart", "=ybegin"), at the
  /// start of a line whose first character the caller flagged, or because
  /// the text ended where the next character decides (more text is wanted).
  enum class Stop { End, KeywordLine, FlaggedLine, WantsMore };
  Stop stop = Stop::End;
};

class YEncDecoder {
 public:
  /// `flagged`, when given, marks first characters of lines the caller wants
  /// to look at before they are decoded.
  explicit YEncDecoder(const std::array<bool, 256>* flagged = nullptr);

  /// Decodes text[0..size) into `dst` (room for `size` bytes), stopping at
  /// the start of a line the caller should see first. `last` says the text
  /// runs to the end of the input, so nothing more will come to decide on.
  YEncStep Decode(const char* text, size_t size, unsigned char* dst, bool last);

  /// The line at which the last call stopped was looked at and is data:
  /// the next call decodes it without stopping.
  void TakeLineAsData() { lookAtLine_ = false; }
  /// Starts a new run of lines (a further part): no escape is pending.
  void Reset() {
    escape_ = false;
    lineStart_ = true;
    lookAtLine_ = true;
  }

 private:
  const std::array<bool, 256>* flagged_;
  /// First characters of lines a run stops before (see KernelTable::yencRun).
  std::array<bool, 256> lineStops_{};
  bool escape_ = false;
  bool lineStart_ = true;
  bool lookAtLine_ = true;
};

}  // namespace twick
