#pragma once
// What the console commands share beyond their options: standard input and
// output in place of files, a private scratch folder, numbered free names,
// and line numbers for listing sections.

#include <cstdint>
#include <fstream>
#include <string>

#include "core/StreamCopy.h"

namespace twick::cli {

/// A private folder under $TMPDIR (or /tmp), removed with its contents.
class ScratchFolder {
 public:
  ScratchFolder() = default;
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();
  /// Creates the folder; false (with a message on stderr) when it cannot.
  bool Create();
  /// The folder, ending with the separator.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int slot_ = -1;
};

/// $TMPDIR, or /tmp when it is not set.
std::string TemporaryFolder();

/// Copies all of standard input, up to 4 GiB, into an unnamed file in
/// $TMPDIR; false (with a message on stderr) when it cannot.
bool CopyStandardInput(StreamCopy& copy);
/// Writes the bytes of the scratch file `path` to standard output and
/// removes it; false on a read or write failure.
bool CopyToStandardOutput(const std::string& path);

/// `path` when nothing is there, else the first of name-1.ext, name-2.ext,
/// ... (the last dot of the file name splits it) that is free.
std::string NumberedFreeName(const std::string& path);

/// Line numbers of byte offsets in one file, counted in a single pass when
/// the offsets come in ascending order (a later, smaller offset starts over).
class LineCounter {
 public:
  explicit LineCounter(const std::string& path) : path_(path) {}
  /// The number (from 1) of the line that holds byte `offset`; lines end
  /// with LF, or with CR where no LF came before the offset.
  uint64_t LineAt(uint64_t offset);

 private:
  std::string path_;
  std::ifstream in_;
  uint64_t read_ = 0, lf_ = 0, cr_ = 0;
};

}  // namespace twick::cli
