#pragma once
// A copy of a stream (standard input) in a file with no name, for code that
// must read its source more than once: nothing of it can be left behind by
// a signal or a crash, and it is bounded so that an endless stream cannot
// fill the disk.

#include <cstdint>
#include <string>

namespace twick {

enum class StreamCopyEnd { Copied, TooLarge, Failed };

class StreamCopy {
 public:
  StreamCopy() = default;
  StreamCopy(const StreamCopy&) = delete;
  StreamCopy& operator=(const StreamCopy&) = delete;
  ~StreamCopy();

  /// Copies everything that can be read from `from` into a new unnamed file
  /// in `folder`. TooLarge when the stream holds more than `limit` bytes
  /// (the copy is then dropped); Failed when the file cannot be made or
  /// written, or the stream not read.
  StreamCopyEnd Fill(int from, const std::string& folder, uint64_t limit);
  /// A path that opens the copy for reading while this object lives.
  std::string Path() const;

 private:
  void Drop();

  int fd_ = -1;
};

}  // namespace twick
