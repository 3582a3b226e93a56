// Whatever the program encodes, it decodes back to the same bytes and name.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "jobs/DecodeJob.h"
#include "jobs/EncodeJob.h"
#include "tests/FakeWindow.h"
#include "tests/ParamNames.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

using test::FakeWindow;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

class RoundTrip : public ::testing::TestWithParam<std::tuple<int, size_t>> {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir.file("enc"));
    std::filesystem::create_directory(dir.file("dec"));
    data = test::RandomBytes(length(), static_cast<unsigned>(length() * 31 + format()));
    // Zero words exercise the btoa "z" shortcut and UU backquotes.
    if (data.size() > 20) data.replace(8, 8, std::string(8, '\0'));
    WriteFile(dir.file("data.bin"), data);

    FakeWindow window;
    CEncodeJob job(window);
    job.m_nCodeFormat = format();
    job.m_strSource = dir.file("data.bin");
    job.m_strEncodeDir = dir.file("enc") + "/";
    job.m_bPause = false;
    job.RunEncodeJob();
    ASSERT_EQ(job.m_arrOutput.size(), 1u);
    encoded = job.m_arrOutput[0];
    ASSERT_EQ(window.status, "Finished Encoding File!");
  }

  int format() const { return std::get<0>(GetParam()); }
  size_t length() const { return std::get<1>(GetParam()); }

  /// Decodes the encoded file; returns the job's output list.
  std::vector<std::string> Decode(int mode, FakeWindow& window) {
    CDecodeJob job(window);
    job.m_strSource = encoded;
    job.m_strDecodeDir = dir.file("dec") + "/";
    job.m_nAutoMode = mode;
    job.m_nCodeFormat = format();
    job.m_bOverwrite = true;
    job.m_bPause = false;
    job.RunDecodeJob();
    return job.m_arrOutput;
  }

  ScratchDir dir;
  std::string data;
  std::string encoded;
};

TEST_P(RoundTrip, HeaderModeGivesBackBytesAndName) {
  FakeWindow window;
  EXPECT_EQ(Decode(kAutoDecode1, window), std::vector<std::string>{dir.file("dec/data.bin")});
  EXPECT_EQ(ReadFile(dir.file("dec/data.bin")), data);
  EXPECT_TRUE(window.messages.empty());
}

TEST_P(RoundTrip, ManualModeGivesBackBytesAndName) {
  FakeWindow window;
  EXPECT_EQ(Decode(kAutoOff, window), std::vector<std::string>{dir.file("dec/data.bin")});
  EXPECT_EQ(ReadFile(dir.file("dec/data.bin")), data);
}

TEST_P(RoundTrip, ContentModeIsRightOrRefusesButNeverWrong) {
  FakeWindow window;
  std::vector<std::string> outputs = Decode(kAutoDecode2, window);
  if (outputs == std::vector<std::string>{"Decoding Operation Failed!"}) {
    // Short bodies can fit several formats; the job must then say so.
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages[0].caption, "Content Detection Error:");
    EXPECT_LT(length(), 2025u) << "long content must be classified";
    return;
  }
  EXPECT_EQ(outputs, std::vector<std::string>{dir.file("dec/data.bin")});
  EXPECT_EQ(ReadFile(dir.file("dec/data.bin")), data);
}

INSTANTIATE_TEST_SUITE_P(
    FormatsAndLengths, RoundTrip,
    ::testing::Combine(::testing::Values(kFormatBase64, kFormatUU, kFormatXX, kFormatBtoa),
                       ::testing::Values(0, 1, 2, 3, 44, 45, 46, 2025, 2026, 4050, 100000)),
    [](const auto& param) {
      return test::FormatName(std::get<0>(param.param)) + "_" +
             test::SizeName("Bytes", std::get<1>(param.param));
    });

}  // namespace
}  // namespace twick
