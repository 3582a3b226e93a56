#pragma once
// Runs one encoder codec over a source file for the encode job: reads the
// source in blocks, gives them to the codec, writes its text, moves the
// progress bar, asks the window between blocks whether to stop, and tells
// the user about a failure (memory, read, write) through the window.

#include "core/EncodeContext.h"
#include "core/InputFile.h"
#include "core/OutputFile.h"

namespace twick {

/// How encoding a source ended.
enum class EncodeEnd {
  Written,    // all text was handed to the output
  Failed,     // the user has been told why
  Cancelled,  // the window asked to stop; nothing was said
};

/// Encodes the open source from its start to its end in `job.m_nCodeFormat`,
/// writing the text (CR LF line ends) to `out`.
EncodeEnd EncodeSource(EncodeContext& job, InputFile& in, OutputSink& out);

/// The message for a failed create, write or close of the output.
void ReportOutputFailure(EncodeContext& job);

}  // namespace twick
