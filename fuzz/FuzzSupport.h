#pragma once
// A window that answers everything and outputs that keep nothing, so that a
// fuzzer can drive whole jobs without touching the disk beyond its input.

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/JobWindow.h"
#include "core/OutputFile.h"

namespace twick::fuzz {

class SilentWindow : public JobWindow {
 public:
  void SetProgressRange(int, int) override {}
  void SetProgressStep(int) override {}
  void SetProgressPos(int) override {}
  void StepProgress() override {}
  void SetStatusText(const std::string&) override {}
  void EnableDone(bool) override {}
  void EndDialog(int) override {}
  void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  NameChoice AskOutputName(std::string&) override { return NameChoice::OkOverwrite; }
};

/// Outputs that count their bytes and drop them.
class DiscardingOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string&, const OutputOptions&) override {
    return std::make_unique<Sink>();
  }

 private:
  struct Sink : OutputSink {
    bool Write(const char*, size_t size) override {
      written += size;
      return true;
    }
    bool SetLength(uint64_t length) override {
      if (length < written) written = length;
      return true;
    }
    bool Close() override { return true; }
    uint64_t written = 0;
  };
};

/// Outputs kept in memory: the bytes of the last one created.
class CapturingOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string&, const OutputOptions&) override {
    bytes.clear();
    return std::make_unique<Sink>(bytes);
  }
  std::string bytes;

 private:
  struct Sink : OutputSink {
    explicit Sink(std::string& to) : out(to) {}
    bool Write(const char* data, size_t size) override {
      out.append(data, size);
      return true;
    }
    bool SetLength(uint64_t length) override {
      if (length < out.size()) out.resize(static_cast<size_t>(length));
      return true;
    }
    bool Close() override { return true; }
    std::string& out;
  };
};

/// Writes the fuzzer's input to a private scratch file and removes it after.
class ScratchInput {
 public:
  ScratchInput(const uint8_t* data, size_t size) {
    char name[] = "/tmp/twick-fuzz-XXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) std::abort();
    path_ = name;
    size_t done = 0;
    while (done < size) {
      ssize_t n = write(fd, data + done, size - done);
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
    close(fd);
  }
  ~ScratchInput() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

/// A private folder made for one run and removed, with what it holds, after.
class ScratchFolder {
 public:
  ScratchFolder() {
    char name[] = "/tmp/twick-fuzz-dir-XXXXXX";
    if (mkdtemp(name) == nullptr) std::abort();
    path_ = std::string(name) + "/";
  }
  ~ScratchFolder() {
    for (const std::string& name : Names()) unlink((path_ + name).c_str());
    rmdir(path_.c_str());
  }
  /// The folder, ending with the separator.
  const std::string& path() const { return path_; }
  /// The names of the entries in it (hidden ones included).
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path_.c_str())) {
      while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(dir);
    }
    return names;
  }

 private:
  std::string path_;
};

}  // namespace twick::fuzz
