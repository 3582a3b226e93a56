#pragma once
// Output files. Every write, flush, set-length and close is checked, and an
// output is never created over the file the job is reading. Each output is
// written to a new temporary file in its folder (an unnamed one where the
// file system has them) and given its name when closed, so that no other
// writer's bytes mix with it, a link at the name is replaced rather than
// followed, and an output that failed or was stopped leaves nothing behind.

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
  /// Room for up to `size` bytes after those written, so that text can be
  /// made where it is kept instead of being copied there; null when the
  /// sink lends none (then Write). Commit hands the bytes on; any other
  /// call first gives up the room.
  virtual char* Reserve(size_t size) {
    (void)size;
    return nullptr;
  }
  /// Hands on the first `size` bytes of the room Reserve gave, exactly as
  /// Write would hand on a copy of them.
  virtual bool Commit(size_t size) {
    (void)size;
    return false;
  }
  /// Flushes and sets the file's length.
  virtual bool SetLength(uint64_t length) = 0;
  /// Flushes and closes; false when anything failed since creation. A file
  /// output that failed is not saved: nothing appears under its name.
  virtual bool Close() = 0;
  /// Closes without keeping anything: nothing appears under the output's
  /// name (a stopped job leaves no trace of the output it was writing).
  virtual void Discard() { Close(); }
  /// After Close: the path the output was saved under when it differs from
  /// the one asked for (see OutputOptions::renameOnConflict); else empty.
  virtual std::string SavedPath() const { return {}; }
};

struct OutputOptions {
  /// The open source file; creating an output that is this file fails.
  FileIdentity source;
  /// When false, a symbolic link at the path is refused instead of followed
  /// (names taken from headers must not write outside the output folder).
  bool followLinks = true;
  /// When false, an existing file at the path is never replaced: the output
  /// then fails, even when the file appeared after the name was chosen.
  bool replace = true;
  /// With `replace` false: when the name is taken, at creation or when the
  /// output is committed, the output goes to the next free numbered name
  /// (name-1.ext, ...) instead of failing (the console's --rename).
  bool renameOnConflict = false;
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

/// Removes the temporary files of unfinished outputs when the program is
/// interrupted (SIGINT, SIGTERM, SIGHUP), then ends it by the same signal.
void InstallInterruptCleanup();

/// Registers the folder `path` for removal, with the files in it, on an
/// interrupt (a private scratch folder). Returns a slot for
/// ForgetFolderOnInterrupt, -1 when none is free.
int RemoveFolderOnInterrupt(const std::string& path);
void ForgetFolderOnInterrupt(int slot);

/// The temporary file an output is written to before it gets its name: an
/// unnamed file (empty path), or a named one registered for removal on an
/// interrupt (`slot`, see RegisterTemporary in OutputFile.cpp).
struct TemporaryFile {
  std::string path;
  int slot = -1;
};

/// A buffered writer on a file descriptor. Given a final path, Close puts
/// the temporary file under that name (replacing a file there only when
/// `replace` is true; with `renameOnConflict`, a taken name moves it to the
/// next free numbered name) when everything was written, and otherwise
/// removes it: a failed output never appears under its name.
class OutputFile : public OutputSink {
 public:
  static constexpr size_t kBufferSize = 1 << 18;
  /// Writes at least this large go to the file directly when nothing is
  /// buffered.
  static constexpr size_t kDirectWriteSize = 1 << 16;
  /// The most room Reserve lends.
  static constexpr size_t kMaxReserve = 1 << 14;

  explicit OutputFile(int fd);
  OutputFile(int fd, TemporaryFile temporary, std::string finalPath, bool replace,
             bool renameOnConflict = false);
  ~OutputFile() override;
  bool Write(const char* data, size_t size) override;
  char* Reserve(size_t size) override;
  bool Commit(size_t size) override;
  bool SetLength(uint64_t length) override;
  bool Close() override;
  void Discard() override;
  std::string SavedPath() const override { return savedPath_; }

 private:
  bool Flush();
  bool CloseDescriptor();
  bool Publish();
  bool NameUnnamedTemporary();
  void Drop();

  int fd_;
  bool failed_ = false;
  std::string temporaryPath_;  // empty: the file is unnamed until Publish
  std::string finalPath_;
  bool replace_ = true;
  bool renameOnConflict_ = false;
  std::string savedPath_;
  int slot_ = -1;
  // kBufferSize bytes and the room Reserve lends past them.
  std::unique_ptr<char[]> buffer_;
  size_t buffered_ = 0;
};

}  // namespace twick
