// A btoa section stopped by the user: the decoder stops reading, leaves no
// output under its name and shows nothing (the job reports the stop).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/TextStream.h"
#include "jobs/DecodeContext.h"
#include "tests/FakeWindow.h"
#include "tests/Fixtures.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

// Asks to stop once the job has polled `pollsAllowed` times.
class StoppingWindow : public test::FakeWindow {
 public:
  explicit StoppingWindow(int pollsAllowed) : pollsAllowed_(pollsAllowed) {}
  bool CancelRequested() override { return ++polls > pollsAllowed_; }
  int polls = 0;

 private:
  int pollsAllowed_;
};

struct StopCase {
  const char* name;
  std::string text;
  int pollsAllowed;
};

TEST(DecodeBtoaCancelTest, StopsWithoutOutputOrMessage) {
  const std::string data = test::RandomBytes(20000, 3);
  std::string longLine = test::BtoaLines(data);
  std::erase(longLine, '\n');
  const StopCase cases[] = {
      {"AtOnce", test::BtoaLines(data) + test::BtoaEndLine(data), 0},
      {"AfterSomeLines", test::BtoaLines(data) + test::BtoaEndLine(data), 40},
      {"InsideALongLine", longLine + "\n" + test::BtoaEndLine(data), 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchDir dir;
    test::WriteFile(dir.file("source.txt"), c.text);
    TextStream in(4096);  // the long line does not fit the stream's buffer
    ASSERT_TRUE(in.Open(dir.file("source.txt")));
    StoppingWindow window(c.pollsAllowed);
    DecodeContext job(window, DiskOutputOpener());
    job.m_sourceIdentity = in.Identity();
    job.m_nBufSize = 280;
    job.m_strOutput = dir.file("out.bin");
    auto buffer = std::make_unique<char[]>(280);

    const SectionResult result = DecodeBtoa(job, in, buffer.get(), in.Tell());
    EXPECT_FALSE(result.written);
    EXPECT_EQ(window.polls, c.pollsAllowed + 1) << "reading went on after the stop";
    EXPECT_LT(in.Tell(), c.text.size());
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.waitDepth, 0);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
      ++entries;
    EXPECT_EQ(entries, 1u) << "something besides the source is left";
  }
}

}  // namespace
}  // namespace twick
