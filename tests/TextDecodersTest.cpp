// Behaviour the Base64, UU, XX and btoa decoders share: any work buffer size
// and either line end give the same bytes, the section's ending line is
// consumed, failures are reported once, and hostile input is harmless.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "tests/Fixtures.h"
#include "tests/ParamNames.h"
#include "tests/TestDoubles.h"
#include "tests/TestFiles.h"
#include "tests/TextDecoderHarness.h"

namespace twick {
namespace {

using test::TextCode;

std::string Data() {
  std::string data = test::RandomBytes(20001, 7);
  data.replace(100, 12, 12, '\0');  // whole zero words
  return data;
}

// Encoded data, the line that ends the section, and the next line.
std::string Section(TextCode code, const std::string& data) {
  std::string text = test::EncodeLines(code, data);
  switch (code) {
    case TextCode::Base64: return text + "\nafter\n";
    case TextCode::UU:
    case TextCode::XX: return text + "end\nafter\n";
    default: return text + test::BtoaEndLine(data) + "after\n";
  }
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

const auto kCodes = ::testing::Values(TextCode::Base64, TextCode::UU, TextCode::XX, TextCode::Btoa4,
                                      TextCode::Btoa5);

class DecodeAnyBuffer : public ::testing::TestWithParam<std::tuple<TextCode, int, bool>> {};

TEST_P(DecodeAnyBuffer, GivesTheOriginalBytesAndConsumesTheEndLine) {
  auto [code, bufSize, crlf] = GetParam();
  const std::string data = Data();
  std::string text = Section(code, data);
  auto run = test::RunTextDecoder(code, crlf ? WithCrLf(text) : text, bufSize);
  EXPECT_EQ(run.result, 1);
  EXPECT_TRUE(run.output == data) << "output of " << run.output.size() << " bytes differs";
  EXPECT_EQ(run.nextLine, "after");
  EXPECT_TRUE(run.window.messages.empty());
  ASSERT_FALSE(run.window.calls.empty());
  EXPECT_EQ(run.window.calls.front(), "pos 0");
  EXPECT_EQ(run.window.calls.back(), "pos 29");
  EXPECT_GT(run.window.steps, 5);
  EXPECT_EQ(run.window.waitDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Decoders, DecodeAnyBuffer,
                         ::testing::Combine(kCodes, ::testing::Values(280, 281, 560, 4480),
                                            ::testing::Bool()),
                         [](const auto& param) {
                           return std::string(test::CodeName(std::get<0>(param.param))) + "_" +
                                  test::SizeName("Buffer", std::get<1>(param.param)) + "_" +
                                  test::LineEndName(std::get<2>(param.param));
                         });

class DecoderFailures : public ::testing::TestWithParam<TextCode> {};

TEST_P(DecoderFailures, WriteErrorIsReportedOnceAndTheSectionIsStillRead) {
  test::MemoryOpener failing({.failAt = 0, .failSetLength = true, .failClose = true});
  auto run = test::RunTextDecoder(GetParam(), Section(GetParam(), Data()), 280, &failing);
  EXPECT_EQ(run.result, 0);
  EXPECT_TRUE(test::OnlyMessageIs(run.window,
                                  test::OutputErrorText(run.outputPath, "Decoding aborted!"),
                                  "File Error:", MessageIcon::Stop));
  EXPECT_EQ(run.nextLine, "after");
  EXPECT_EQ(run.window.waitDepth, 0);
}

TEST_P(DecoderFailures, CreationErrorLeavesTheStreamUnread) {
  const std::string text = Section(GetParam(), Data());
  test::MemoryOpener refusing({.refuse = true});
  auto run = test::RunTextDecoder(GetParam(), text, 4480, &refusing);
  EXPECT_EQ(run.result, 0);
  ASSERT_EQ(run.window.messages.size(), 1u);
  EXPECT_EQ(run.window.messages[0].caption, "File Error:");
  EXPECT_EQ(run.nextLine, text.substr(0, text.find('\n')));
  EXPECT_EQ(run.window.waitDepth, 0);
}

TEST_P(DecoderFailures, HostileInputIsDecodedWithoutHarm) {
  std::string noise = test::RandomBytes(1 << 20, 3);  // NULs, CRs and high bytes
  for (char& c : noise)
    if (c == '\n') c = '\0';
  const std::string lines[] = {noise, std::string(1 << 20, 'z'), std::string(1 << 20, '='),
                               std::string(300, '\0'), "\x80\xff\xfe"};
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  for (int bufSize : {280, 4480}) {
    auto run = test::RunTextDecoder(GetParam(), text, bufSize);
    EXPECT_EQ(run.result, 1);
    // btoa has no end line here: reported after the full bar.
    EXPECT_TRUE(std::find(run.window.calls.begin(), run.window.calls.end(), "pos 29") !=
                run.window.calls.end());
  }
}

INSTANTIATE_TEST_SUITE_P(Decoders, DecoderFailures, kCodes, [](const auto& param) {
  return std::string(test::CodeName(param.param));
});

}  // namespace
}  // namespace twick
