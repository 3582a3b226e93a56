#pragma once
// What one encoder step did: the input bytes it took, the characters it wrote
// into the caller's buffer, and where the encoding stands.

#include <cstddef>

#include "codecs/CodecStatus.h"

namespace twick {

struct EncodeStep {
  /// Input bytes taken: encoded, or held by the encoder until its line or
  /// word is complete. The caller gives the rest again in its next step.
  size_t consumed = 0;
  /// Characters written at the caller's output.
  size_t produced = 0;
  /// NeedMore while input may follow; Done once the body is finished.
  CodecStatus status = CodecStatus::NeedMore;
};

}  // namespace twick
