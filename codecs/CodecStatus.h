#pragma once
// What a codec step says about the section it is working through. Codecs
// know bytes and their format's rules only: no files, windows, progress or
// messages. The job that drives them turns these values into its messages
// and outcomes.

namespace twick {

enum class CodecStatus {
  NeedMore,     // everything given was taken; the section goes on
  Done,         // the section ended where its format says it ends
  Gap,          // a blank line: the section ends unless it goes on in a further part
  CutShort,     // the section ended before its closing line
  DataLost,     // bytes are missing or damaged (a length or a part lacking)
  ChecksWrong,  // the section's check values do not match its bytes
  NotData,      // a line that cannot be data: passed over, nothing decoded
};

/// A short English name, for test output and logs.
const char* CodecStatusName(CodecStatus status);

}  // namespace twick
