#pragma once
// Injectable outputs and allocators that fail on request, and checks of the
// messages a job window was shown.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Memory.h"
#include "core/OutputFile.h"
#include "tests/FakeWindow.h"

namespace twick::test {

/// What the files of a MemoryOpener fail at.
struct OutputFaults {
  bool refuse = false;       // creation
  size_t failAt = SIZE_MAX;  // the write that would take the file past this many bytes
  bool failSetLength = false;
  bool failClose = false;
};

/// Output files kept in memory, failing as `faults` says. As on a real file
/// a failed write is final: later writes and the close fail too.
class MemoryOpener : public OutputOpener {
 public:
  explicit MemoryOpener(OutputFaults failing = {}) : faults(failing) {}
  std::unique_ptr<OutputSink> Create(const std::string& path, const OutputOptions&) override;

  OutputFaults faults;

  /// Every path a file was asked for, refused or not.
  std::vector<std::string> created;
  /// The bytes of the file created last and the sizes of its accepted writes.
  std::string data;
  std::vector<size_t> pieces;
  /// Writes that came after a write had failed.
  int writesAfterFailure = 0;
};

/// Creates files on disk, but the `failingFile`-th file created (1 = the
/// first) fails every write, set-length and close, as on a full disk.
class FailingDiskOpener : public OutputOpener {
 public:
  explicit FailingDiskOpener(int failingFile) : failingFile_(failingFile) {}
  std::unique_ptr<OutputSink> Create(const std::string& path,
                                     const OutputOptions& options) override;

 private:
  int failingFile_;
  int filesCreated_ = 0;
};

/// Fails chosen calls or sizes and records every size asked for.
class FailingAllocator : public BufferAllocator {
 public:
  /// Fails the calls numbered `first` to `last` (0 = the first call).
  static FailingAllocator Calls(int first, int last = INT32_MAX) { return {first, last, SIZE_MAX}; }
  /// Fails every request for more than `limit` bytes.
  static FailingAllocator Above(size_t limit) { return {INT32_MAX, INT32_MAX, limit}; }

  std::unique_ptr<char[]> Allocate(size_t size) override;

  std::vector<size_t> sizes;

 private:
  FailingAllocator(int first, int last, size_t limit) : first_(first), last_(last), limit_(limit) {}
  int first_, last_;
  size_t limit_;
};

/// The text of the message a job shows when its output fails.
std::string OutputErrorText(const std::string& path, const std::string& ending);

/// The window's last message has this text, caption and icon.
testing::AssertionResult LastMessageIs(const FakeWindow& window, const std::string& text,
                                       const std::string& caption, MessageIcon icon);
/// The window was shown exactly one message, with this text, caption and icon.
testing::AssertionResult OnlyMessageIs(const FakeWindow& window, const std::string& text,
                                       const std::string& caption, MessageIcon icon);

}  // namespace twick::test
