#pragma once
// Output files. Every write, flush, set-length and close is checked, and an
// output is never created over the file the job is reading.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileIdentity.h"

namespace twick {

/// A byte sink for one output file.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  /// Appends bytes; false once any write has failed.
  virtual bool Write(const char* data, size_t size) = 0;
  /// Flushes and sets the file's length.
  virtual bool SetLength(uint64_t length) = 0;
  /// Flushes and closes; false when anything failed since creation.
  virtual bool Close() = 0;
};

struct OutputOptions {
  /// The open source file; creating an output that is this file fails.
  FileIdentity source;
  /// When false, a symbolic link at the path is refused instead of followed
  /// (names taken from headers must not write outside the output folder).
  bool followLinks = true;
};

/// Creates output files. Abstract so that tests can inject failing writers.
class OutputOpener {
 public:
  virtual ~OutputOpener() = default;
  /// Creates or truncates `path` for binary writing; null when it cannot be
  /// created (not a regular file, the source itself, no permission, ...).
  virtual std::unique_ptr<OutputSink> Create(const std::string& path,
                                             const OutputOptions& options) = 0;
};

/// The real file system.
OutputOpener& DiskOutputOpener();

/// A buffered writer on a file descriptor.
class OutputFile : public OutputSink {
 public:
  static constexpr size_t kBufferSize = 1 << 18;

  explicit OutputFile(int fd);
  ~OutputFile() override;
  bool Write(const char* data, size_t size) override;
  bool SetLength(uint64_t length) override;
  bool Close() override;

 private:
  bool Flush();

  int fd_;
  bool failed_ = false;
  std::vector<char> buffer_;
};

}  // namespace twick
