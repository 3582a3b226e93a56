#pragma once
// The line-ending converter: rewrites a text file whose lines end with LF
// (Unix) or CR (Macintosh) into a copy whose every line ends with CR LF.
// Bytes other than CR and LF pass unchanged, and CR LF stays CR LF, so any
// file can be converted.

#include <cstddef>
#include <string>

#include "core/FileReader.h"
#include "core/JobResult.h"
#include "core/JobWindow.h"
#include "core/Memory.h"
#include "core/OutputFile.h"

namespace twick {

/// Converts `count` bytes of `block` into `buffer` (CConvertJob::kOutputBufferSize
/// bytes) and writes them to `output` whenever the buffer fills and at the end.
/// `crHeld` says that the previous block ended with a CR that was held back;
/// it becomes CR LF, or joins an LF that begins this block. The caller holds
/// back a CR that ends a block. False when a write failed.
bool ConvertBlock(OutputSink& output, const char* block, char* buffer, size_t count, bool crHeld);

/// The output path proposed for a chosen source: its name cut before the last
/// dot (unless that dot starts the name) plus ".out", in the source's folder.
std::string ProposeConvertOutput(const std::string& from);

/// One conversion, run by the converter window's OK button.
class CConvertJob {
 public:
  static constexpr size_t kInputBlockSize = 2048;
  static constexpr size_t kOutputBufferSize = 3072;

  explicit CConvertJob(JobWindow& window, OutputOpener& opener = DiskOutputOpener(),
                       BufferAllocator& allocator = HeapAllocator())
      : m_window(window), m_opener(opener), m_allocator(allocator) {}

  std::string m_strFrom;  // the file to convert
  std::string m_strTo;    // the output; may change when the user renames it
  /// Replace an existing output without asking.
  bool m_bOverwrite = false;
  /// Whether the output may replace a file at its path (settled by the job).
  bool m_bReplaceOutput = false;
  /// Reads the source; tests put a failing reader here.
  FileReader* m_pReader = &DiskFileReader();

  /// Converts `m_strFrom` into `m_strTo`, telling the user how it went.
  /// True only when the whole output was written.
  bool Convert();

  /// What the last conversion did.
  JobResult m_result;

 private:
  /// Asks for another name while the output exists; false when cancelled.
  bool SettleOutputName();
  void ReportWriteFailure();

  JobWindow& m_window;
  OutputOpener& m_opener;
  BufferAllocator& m_allocator;
};

}  // namespace twick
