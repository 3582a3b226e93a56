#include "tests/TestDoubles.h"

namespace twick::test {

namespace {

class MemorySink : public OutputSink {
 public:
  explicit MemorySink(MemoryOpener& opener) : opener_(opener) {}
  bool Write(const char* data, size_t size) override {
    if (failed_) ++opener_.writesAfterFailure;
    failed_ = failed_ || opener_.data.size() + size > opener_.faults.failAt;
    if (failed_) return false;
    opener_.data.append(data, size);
    opener_.pieces.push_back(size);
    return true;
  }
  bool SetLength(uint64_t length) override {
    if (opener_.faults.failSetLength) return false;
    opener_.data.resize(length);
    return true;
  }
  bool Close() override { return !failed_ && !opener_.faults.failClose; }

 private:
  MemoryOpener& opener_;
  bool failed_ = false;
};

class FailingSink : public OutputSink {
 public:
  explicit FailingSink(std::unique_ptr<OutputSink> real) : real_(std::move(real)) {}
  bool Write(const char*, size_t) override { return false; }
  bool SetLength(uint64_t) override { return false; }
  bool Close() override {
    real_->Discard();  // as a real file whose write failed: not saved
    return false;
  }

 private:
  std::unique_ptr<OutputSink> real_;
};

}  // namespace

std::unique_ptr<OutputSink> MemoryOpener::Create(const std::string& path, const OutputOptions&) {
  created.push_back(path);
  if (faults.refuse) return nullptr;
  data.clear();
  pieces.clear();
  return std::make_unique<MemorySink>(*this);
}

std::unique_ptr<OutputSink> FailingDiskOpener::Create(const std::string& path,
                                                      const OutputOptions& options) {
  auto real = DiskOutputOpener().Create(path, options);
  if (!real || ++filesCreated_ != failingFile_) return real;
  return std::make_unique<FailingSink>(std::move(real));
}

std::unique_ptr<char[]> FailingAllocator::Allocate(size_t size) {
  const int call = static_cast<int>(sizes.size());
  sizes.push_back(size);
  if ((call >= first_ && call <= last_) || size > limit_) return nullptr;
  return HeapAllocator().Allocate(size);
}

std::string OutputErrorText(const std::string& path, const std::string& ending) {
  return "Error creating/writing to output file:\n" + path + "\n" + ending;
}

testing::AssertionResult LastMessageIs(const FakeWindow& window, const std::string& text,
                                       const std::string& caption, MessageIcon icon) {
  if (window.messages.empty()) return testing::AssertionFailure() << "no message";
  const Message& m = window.messages.back();
  if (m.text == text && m.caption == caption && m.icon == icon) return testing::AssertionSuccess();
  return testing::AssertionFailure()
         << "last message: " << testing::PrintToString(m.caption) << " "
         << testing::PrintToString(m.text) << " icon " << static_cast<int>(m.icon);
}

testing::AssertionResult OnlyMessageIs(const FakeWindow& window, const std::string& text,
                                       const std::string& caption, MessageIcon icon) {
  if (window.messages.size() > 1)
    return testing::AssertionFailure() << window.messages.size() << " messages";
  return LastMessageIs(window, text, caption, icon);
}

}  // namespace twick::test
