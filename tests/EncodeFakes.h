#pragma once
// Injectable outputs and allocators for the encoder and encode-job tests.

#include <cstdint>
#include <memory>
#include <string>

#include "core/Memory.h"
#include "core/OutputFile.h"

namespace twick::test {

/// Collects the output in memory; can fail from a given byte on, or on close.
class StringSink : public OutputSink {
 public:
  explicit StringSink(std::string& text, size_t failAt = SIZE_MAX, bool failClose = false)
      : text_(text), failAt_(failAt), failClose_(failClose) {}
  bool Write(const char* data, size_t size) override {
    if (text_.size() + size > failAt_) return false;
    text_.append(data, size);
    return true;
  }
  bool SetLength(uint64_t length) override {
    text_.resize(length);
    return true;
  }
  bool Close() override { return !failClose_; }

 private:
  std::string& text_;
  size_t failAt_;
  bool failClose_;
};

/// Hands out StringSinks writing into `text`, or refuses to create anything.
class MemoryOpener : public OutputOpener {
 public:
  std::unique_ptr<OutputSink> Create(const std::string& path, const OutputOptions&) override {
    ++creates;
    createdPath = path;
    if (refuse) return nullptr;
    text.clear();
    return std::make_unique<StringSink>(text, failAt, failClose);
  }

  std::string text;
  std::string createdPath;
  int creates = 0;
  bool refuse = false;
  size_t failAt = SIZE_MAX;
  bool failClose = false;
};

/// Fails the allocation numbered `failAt` (0 = the first) and every later one.
class FailingAllocator : public BufferAllocator {
 public:
  explicit FailingAllocator(int failAt) : failAt_(failAt) {}
  std::unique_ptr<char[]> Allocate(size_t size) override {
    if (calls_++ >= failAt_) return nullptr;
    return std::make_unique<char[]>(size);
  }

 private:
  int failAt_;
  int calls_ = 0;
};

}  // namespace twick::test
