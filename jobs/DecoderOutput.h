#pragma once
// The output file of one decoder call. The first failure to create or write
// it is reported with the "File Error:" box; after a write failure nothing
// more is written, but the decoder keeps reading its section so that the next
// search starts where it would have.

#include <cstdint>
#include <memory>

#include "jobs/DecodeContext.h"

namespace twick {

class DecoderOutput {
 public:
  explicit DecoderOutput(DecodeContext& dlg) : dlg_(dlg) {}
  ~DecoderOutput();

  /// Creates (or truncates) `m_strOutput`. On failure shows the message and
  /// returns false.
  bool Create();
  void Write(const char* data, size_t size);
  /// Cuts the output to `length` bytes when it is longer; never extends it.
  void CutTo(uint64_t length);
  /// Closes the file (`m_strOutput` then names the file as saved); true when
  /// everything was written.
  bool Finish();
  /// Ends a decoder's run: closes the file, shows the full progress bar and
  /// hides the wait cursor. True when everything was written.
  bool EndSection();
  /// Ends a stopped decoder's run: nothing of the output is kept (no file,
  /// no temporary file), the wait cursor is hidden. Returns the result of a
  /// section that was not written.
  SectionResult Discard();

 private:
  void ReportFailure();

  DecodeContext& dlg_;
  std::unique_ptr<OutputSink> sink_;
  uint64_t written_ = 0;
  bool failed_ = false;
};

}  // namespace twick
