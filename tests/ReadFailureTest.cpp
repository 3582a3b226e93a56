// A source whose reads fail part way (a failing disk, a vanished network
// file) must never pass for a shorter file: every job reports the failure.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/Converter.h"
#include "core/FileReader.h"
#include "core/InputFile.h"
#include "jobs/DecodeJob.h"
#include "jobs/EncodeJob.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using namespace test;

const std::string kUnreadable = "Unable to read selected file!";

/// Reads from disk, but any read that reaches byte `failAt` fails.
class FailingReader : public FileReader {
 public:
  explicit FailingReader(uint64_t failAt) : failAt_(failAt) {}
  long long ReadAt(int fd, char* buffer, size_t size, uint64_t offset) override {
    if (offset + size > failAt_) return -1;
    return DiskFileReader().ReadAt(fd, buffer, size, offset);
  }

 private:
  uint64_t failAt_;
};

bool Shown(const FakeWindow& w, const std::string& text) {
  for (const Message& m : w.messages)
    if (m.text == text && m.caption == "File Error:") return true;
  return false;
}

TEST(ReadFailure, DecodeJobStopsAndFailsAtTheBadRead) {
  ScratchDir dir;
  // The first read (256 KiB) succeeds; the second one, inside the big
  // section, fails.
  const std::string big = RandomBytes(400000, 7);
  WriteFile(dir.file("mail.txt"), UUXXSection("one.bin", "first") + UUXXSection("big.bin", big) +
                                      UUXXSection("three.bin", "third"));
  FailingReader reader(300000);
  FakeWindow w;
  CDecodeJob job(w);
  job.m_pReader = &reader;
  job.m_strSource = dir.file("mail.txt");
  job.RunDecodeJob();

  EXPECT_EQ(job.m_result.written, std::vector<std::string>{dir.file("one.bin")});
  EXPECT_EQ(job.m_arrOutput,
            (std::vector<std::string>{dir.file("one.bin"), "Decoding Operation Failed!"}));
  EXPECT_EQ(job.m_result.done, 1);
  EXPECT_EQ(job.m_result.failed, 1);
  EXPECT_TRUE(job.m_result.sourceOpened);
  EXPECT_FALSE(job.m_result.sourceReadToEnd);
  EXPECT_FALSE(job.m_result.succeeded);
  EXPECT_TRUE(Shown(w, kUnreadable));
  EXPECT_EQ(w.status, "Decoding Aborted!");
  EXPECT_EQ(w.waitDepth, 0);

  // Failing before any header gives the read message, not "no header found".
  FailingReader early(1);
  FakeWindow w2;
  CDecodeJob job2(w2);
  job2.m_pReader = &early;
  job2.m_strSource = dir.file("mail.txt");
  job2.RunDecodeJob();
  ASSERT_EQ(w2.messages.size(), 1u);
  EXPECT_TRUE(Shown(w2, kUnreadable));
  EXPECT_FALSE(job2.m_result.succeeded);
}

TEST(ReadFailure, EncodeJobFailsInEveryFormat) {
  ScratchDir dir;
  WriteFile(dir.file("data.bin"), RandomBytes(300000, 3));
  for (int format : {kFormatBase64, kFormatUU, kFormatXX, kFormatBtoa}) {
    SCOPED_TRACE(format);
    FailingReader reader(100000);
    FakeWindow w;
    CEncodeJob job(w);
    job.m_pReader = &reader;
    job.m_strSource = dir.file("data.bin");
    job.m_nCodeFormat = format;
    job.m_bOverwrite = true;
    job.RunEncodeJob();
    EXPECT_TRUE(job.m_result.sourceOpened);
    EXPECT_FALSE(job.m_result.sourceReadToEnd);
    EXPECT_FALSE(job.m_result.succeeded);
    EXPECT_TRUE(job.m_result.written.empty());
    EXPECT_EQ(job.m_arrOutput, std::vector<std::string>{"Encoding Operation Failed!"});
    EXPECT_TRUE(Shown(w, kUnreadable));
    EXPECT_EQ(w.status, "Encoding Aborted!");
  }
}

TEST(ReadFailure, ConverterFails) {
  ScratchDir dir;
  WriteFile(dir.file("notes.txt"), std::string(100000, 'a') + "\n");
  FailingReader reader(50000);
  FakeWindow w;
  CConvertJob job(w);
  job.m_pReader = &reader;
  job.m_strFrom = dir.file("notes.txt");
  job.m_strTo = dir.file("notes.out");
  EXPECT_FALSE(job.Convert());
  EXPECT_FALSE(job.m_result.succeeded);
  EXPECT_EQ(job.m_result.failed, 1);
  EXPECT_TRUE(job.m_result.written.empty());
  EXPECT_TRUE(Shown(w, kUnreadable));
}

// Small reads are served from a large read ahead; the bytes and the block at
// which a failure shows are those of reading each block directly.
TEST(ReadAhead, GivesTheFileAndFailsAtTheSameBlock) {
  ScratchDir dir;
  const std::string bytes = RandomBytes(600000, 5);
  WriteFile(dir.file("data.bin"), bytes);

  InputFile whole;
  ASSERT_TRUE(whole.Open(dir.file("data.bin")));
  std::string got;
  const size_t sizes[] = {1, 624, 2025, InputFile::kReadAheadSize + 3, 7};
  std::vector<char> block(InputFile::kReadAheadSize + 3);
  for (size_t k = 0;; ++k) {
    long long n = whole.Read(block.data(), sizes[k % 5]);
    ASSERT_GE(n, 0);
    if (n == 0) break;
    got.append(block.data(), static_cast<size_t>(n));
  }
  EXPECT_TRUE(got == bytes);

  FailingReader reader(400000);
  InputFile failing(reader);
  ASSERT_TRUE(failing.Open(dir.file("data.bin")));
  size_t read = 0;
  long long n;
  while ((n = failing.Read(block.data(), 624)) > 0) {
    ASSERT_EQ(std::string(block.data(), 624), bytes.substr(read, 624));
    read += 624;
  }
  EXPECT_EQ(n, -1);
  EXPECT_EQ(read, 400000 / 624 * 624);  // every block that ends before the bad byte
}

// Reading in place gives, call by call, the counts, bytes and failures of
// reading into a buffer: from the read ahead, across its refills, in large
// reads after small ones, and after a failed read ahead.
TEST(ReadAhead, ReadingInPlaceGivesWhatReadingIntoABufferGives) {
  ScratchDir dir;
  const std::string bytes = RandomBytes(700000, 6);
  WriteFile(dir.file("data.bin"), bytes);
  const size_t big = InputFile::kReadAheadSize + 3;
  const struct {
    const char* what;
    std::vector<size_t> sizes;  // taken in turn
    uint64_t failAt;
  } rows[] = {
      {"lines", {2025}, UINT64_MAX},
      {"words", {624}, UINT64_MAX},
      {"mixed", {1, 2025, 7, 300000, 624}, UINT64_MAX},
      {"large after small", {2025, big}, UINT64_MAX},
      {"failing early", {2025}, 1},
      {"failing late", {2025}, 400000},
      {"failing in a large read", {624, big, 7}, 500000},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    FailingReader copyReader(row.failAt), viewReader(row.failAt);
    InputFile copied(copyReader), viewed(viewReader);
    ASSERT_TRUE(copied.Open(dir.file("data.bin")));
    ASSERT_TRUE(viewed.Open(dir.file("data.bin")));
    std::vector<char> buffer(300000), fallback(300000);
    for (size_t k = 0;; ++k) {
      const size_t size = row.sizes[k % row.sizes.size()];
      const char* data = nullptr;
      const long long want = copied.Read(buffer.data(), size);
      const long long got = viewed.ReadView(fallback.data(), size, data);
      ASSERT_EQ(got, want) << "read " << k;
      if (want <= 0) break;
      ASSERT_TRUE(std::string_view(data, static_cast<size_t>(got)) ==
                  std::string_view(buffer.data(), static_cast<size_t>(want)))
          << "read " << k;
    }
  }
}

TEST(JobQuestions, AreAskedWithoutTheWaitCursor) {
  ScratchDir dir;
  WriteFile(dir.file("mail.txt"), UUXXSection("one.bin", "first"));
  WriteFile(dir.file("one.bin"), "taken");
  FakeWindow w;
  w.Answer(NameChoice::Ok);                       // the proposed name: taken
  w.Answer(NameChoice::Ok, dir.file("two.bin"));  // after "already exists"
  CDecodeJob job(w);
  job.m_strSource = dir.file("mail.txt");
  job.m_bUseDefName = false;
  job.RunDecodeJob();
  EXPECT_EQ(w.asked.size(), 2u);
  EXPECT_EQ(job.m_result.written, std::vector<std::string>{dir.file("two.bin")});

  FakeWindow we;
  we.Answer(NameChoice::Cancel);
  CEncodeJob encode(we);
  encode.m_strSource = dir.file("mail.txt");
  encode.m_bUseDefName = false;
  encode.RunEncodeJob();
  EXPECT_EQ(encode.m_result.skipped, 1);
  EXPECT_FALSE(encode.m_result.succeeded);

  EXPECT_EQ(w.askedUnderWaitCursor + we.askedUnderWaitCursor, 0);
  EXPECT_EQ(w.waitDepth + we.waitDepth, 0);
}

}  // namespace
}  // namespace twick
