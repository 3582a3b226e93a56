// An output that may not replace anything never does, even when its name is
// taken after the output was created: the commit fails, whatever took the
// name stays as it was, and nothing of the output is left in the folder.
// An output whose write failed is not saved at all. Both hold for unnamed
// temporary files and for the named ones used where there are none.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/DiskOutput.h"
#include "core/OutputFile.h"
#include "core/PlatformPosix.h"
#include "core/StreamCopy.h"
#include "tests/TestFiles.h"

namespace twick {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

using Snapshot = std::map<std::string, std::string>;

// Every name in the folder with what it holds (a file's bytes, a link's target).
Snapshot Contents(const ScratchDir& dir) {
  Snapshot names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink())
      names[name] = "link to " + fs::read_symlink(entry.path()).string();
    else
      names[name] = "file " + ReadFile(entry.path().string());
  }
  return names;
}

// What takes the output's name after the output was created (null: nothing).
struct Intruder {
  const char* what;
  void (*takeName)(const ScratchDir& dir, const std::string& name);
};

const Intruder kIntruders[] = {
    {"nothing", nullptr},
    {"a file", [](const ScratchDir&, const std::string& name) { WriteFile(name, "theirs"); }},
    {"a link to a file",
     [](const ScratchDir& dir, const std::string& name) {
       WriteFile(dir.file("elsewhere"), "theirs");
       fs::create_symlink(dir.file("elsewhere"), name);
     }},
    {"a dangling link",
     [](const ScratchDir& dir, const std::string& name) {
       fs::create_symlink(dir.file("nowhere"), name);
     }},
};

// The folder after the commit: unchanged when the name was taken, else the
// output under its name and `moved` gone.
Snapshot Expected(Snapshot before, bool nameTaken, const std::string& moved) {
  if (nameTaken) return before;
  before.erase(moved);
  before["out.bin"] = "file ours";
  return before;
}

TEST(NoReplaceCommit, CloseNeverReplacesANameTakenAfterTheOutputWasCreated) {
  for (bool unnamed : {true, false}) {
    for (const Intruder& intruder : kIntruders) {
      SCOPED_TRACE(std::string(intruder.what) + (unnamed ? ", unnamed" : ", named"));
      ScratchDir dir;
      const std::string name = dir.file("out.bin");
      auto out = CreateDiskOutput(name, false, 0, unnamed);
      ASSERT_TRUE(out);
      ASSERT_TRUE(out->Write("ours", 4));
      // Unnamed (this test's file system has them): nothing in the folder yet.
      EXPECT_EQ(fs::is_empty(dir.path()), unnamed);
      if (intruder.takeName) intruder.takeName(dir, name);
      Snapshot before = Contents(dir);
      std::erase_if(before, [](const auto& e) { return e.first.starts_with(".twick-"); });

      EXPECT_EQ(out->Close(), intruder.takeName == nullptr);
      EXPECT_EQ(Contents(dir), Expected(before, intruder.takeName != nullptr, ""));
    }
  }
}

// With rename-on-conflict (the console's --rename) a name taken before the
// commit moves the output to the next free numbered name; whatever took the
// name, and any numbered name already there, stays as it was.
TEST(NoReplaceCommit, RenameOnConflictTakesTheNextFreeNumberedName) {
  for (bool numberedTaken : {false, true}) {
    for (const Intruder& intruder : kIntruders) {
      SCOPED_TRACE(std::string(intruder.what) + (numberedTaken ? ", out-1 taken" : ""));
      ScratchDir dir;
      const std::string name = dir.file("out.bin");
      OutputOptions options;
      options.replace = false;
      options.renameOnConflict = true;
      auto out = DiskOutputOpener().Create(name, options);
      ASSERT_TRUE(out);
      ASSERT_TRUE(out->Write("ours", 4));
      if (intruder.takeName) intruder.takeName(dir, name);
      if (numberedTaken) WriteFile(dir.file("out-1.bin"), "earlier");
      Snapshot expected = Contents(dir);
      std::erase_if(expected, [](const auto& e) { return e.first.starts_with(".twick-"); });
      const std::string saved =
          !intruder.takeName ? "" : (numberedTaken ? "out-2.bin" : "out-1.bin");
      expected[saved.empty() ? "out.bin" : saved] = "file ours";

      EXPECT_TRUE(out->Close());
      EXPECT_EQ(out->SavedPath(), saved.empty() ? "" : dir.file(saved));
      EXPECT_EQ(Contents(dir), expected);
    }
  }
}

// Writes that fail as on a full disk (a file-size limit, SIGXFSZ ignored),
// at each step that writes: the folder is left as it was, with no temporary
// file and nothing under the name, whether or not a file was to be replaced.
TEST(FailedWrite, LeavesNothingUnderTheName) {
  constexpr rlim_t kLimit = 4096;
  const std::string big(OutputFile::kBufferSize + 1, 'x');
  const struct {
    const char* what;
    bool (*step)(OutputSink& out, const std::string& big);
    bool stepFails;  // else only the close fails
  } steps[] = {
      {"a write",
       [](OutputSink& out, const std::string& b) { return out.Write(b.data(), b.size()); }, true},
      {"the flush at close",
       [](OutputSink& out, const std::string& b) { return out.Write(b.data(), kLimit * 2); },
       false},
      {"set-length", [](OutputSink& out, const std::string&) { return out.SetLength(kLimit * 4); },
       true},
  };
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  for (const auto& step : steps) {
    for (bool unnamed : {true, false}) {
      for (bool replace : {false, true}) {
        SCOPED_TRACE(std::string(step.what) + (unnamed ? ", unnamed" : ", named") +
                     (replace ? ", replacing" : ""));
        ScratchDir dir;
        const std::string name = dir.file("out.bin");
        if (replace) WriteFile(name, "theirs");
        const Snapshot before = Contents(dir);
        auto out = CreateDiskOutput(name, replace, 0, unnamed);
        ASSERT_TRUE(out);
        struct rlimit small = old;
        small.rlim_cur = kLimit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool stepDone = step.step(*out, big);
        const bool closed = out->Close();
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(stepDone, !step.stepFails);
        EXPECT_FALSE(closed);
        EXPECT_EQ(Contents(dir), before);
      }
    }
  }
  std::signal(SIGXFSZ, oldHandler);
}

// Small writes are buffered and large ones may go straight to the file:
// whatever the sizes, the file holds the bytes in the order written.
TEST(OutputFileWrites, KeepTheirOrderWhateverTheirSizes) {
  const size_t direct = OutputFile::kDirectWriteSize;
  const size_t buffer = OutputFile::kBufferSize;
  const std::vector<std::vector<size_t>> runs = {
      {direct, 1, direct}, {1, direct, 5}, {buffer - 1, direct, 2}, {buffer + 3, 7, buffer}};
  for (const auto& sizes : runs) {
    ScratchDir dir;
    const std::string name = dir.file("out.bin");
    auto out = CreateDiskOutput(name, false, 0, true);
    ASSERT_TRUE(out);
    std::string want;
    for (size_t size : sizes) {
      const std::string piece(size, static_cast<char>('a' + want.size() % 26));
      ASSERT_TRUE(out->Write(piece.data(), piece.size()));
      want += piece;
    }
    ASSERT_TRUE(out->Close());
    EXPECT_TRUE(ReadFile(name) == want) << sizes.size() << " writes, first " << sizes[0];
  }
}

// Text made in the room an output lends reaches the file, and fails under a
// full disk at the same piece, as written copies of it would: the buffer
// goes out at the same points.
TEST(LentRoom, CommitHandsOnWhatWriteWould) {
  std::vector<std::string> pieces;
  std::string all;
  for (unsigned k = 0; all.size() < 3 * OutputFile::kBufferSize; ++k) {
    const size_t size = k % 7 == 0 ? OutputFile::kMaxReserve : (k * 7919) % 3000 + 1;
    pieces.push_back(test::RandomBytes(size, k));
    all += pieces.back();
  }
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  for (rlim_t limit : {RLIM_INFINITY, rlim_t{OutputFile::kBufferSize}, rlim_t{600000}}) {
    SCOPED_TRACE(limit == RLIM_INFINITY ? std::string("no limit") : std::to_string(limit));
    ScratchDir dir;
    auto written = CreateDiskOutput(dir.file("written"), true, 0, true);
    auto lent = CreateDiskOutput(dir.file("lent"), true, 0, true);
    ASSERT_TRUE(written && lent);
    EXPECT_EQ(lent->Reserve(OutputFile::kMaxReserve + 1), nullptr);
    struct rlimit small = old;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    for (size_t k = 0; k < pieces.size(); ++k) {
      const std::string& piece = pieces[k];
      const bool wrote = written->Write(piece.data(), piece.size());
      char* room = lent->Reserve(piece.size());
      bool committed = false;
      if (room != nullptr) {
        std::copy(piece.begin(), piece.end(), room);
        committed = lent->Commit(piece.size());
      }
      ASSERT_EQ(committed, wrote) << "piece " << k;
      // A sink that has failed lends no more room.
      if (!wrote) {
        EXPECT_EQ(lent->Reserve(1), nullptr);
      }
    }
    const bool closedWritten = written->Close();
    const bool closedLent = lent->Close();
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(closedLent, closedWritten);
    if (limit == RLIM_INFINITY) {
      EXPECT_TRUE(closedLent);
      EXPECT_TRUE(ReadFile(dir.file("lent")) == all);
      EXPECT_TRUE(ReadFile(dir.file("written")) == all);
    }
  }
  std::signal(SIGXFSZ, oldHandler);
}

// The exclusive rename and the link that stands in for it where the kernel
// or file system has none. A failed rename leaves the old name for the caller
// to remove.
TEST(NoReplaceCommit, BothWaysOfTheRenameFailWhenTheNameIsTaken) {
  for (bool exclusiveRename : {true, false}) {
    for (const Intruder& intruder : kIntruders) {
      SCOPED_TRACE(std::string(intruder.what) + (exclusiveRename ? ", exclusive" : ", by link"));
      ScratchDir dir;
      const std::string from = dir.file("from.part"), name = dir.file("out.bin");
      WriteFile(from, "ours");
      if (intruder.takeName) intruder.takeName(dir, name);
      const Snapshot before = Contents(dir);

      EXPECT_EQ(platform::posix::RenameNoReplace(from.c_str(), name.c_str(), exclusiveRename),
                intruder.takeName == nullptr);
      EXPECT_EQ(Contents(dir), Expected(before, intruder.takeName != nullptr, "from.part"));
    }
  }
}

// A stream copied into a file with no name: readable through its path, never
// in the folder, and dropped when the stream holds more than the limit.
TEST(StreamCopy, KeepsUpToTheLimitAndNothingInTheFolder) {
  const struct {
    size_t size;
    uint64_t limit;
    StreamCopyEnd end;
  } cases[] = {
      {0, 10, StreamCopyEnd::Copied},
      {100000, 100000, StreamCopyEnd::Copied},
      {100001, 100000, StreamCopyEnd::TooLarge},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    ScratchDir dir;
    const std::string bytes = test::RandomBytes(c.size, 7);
    WriteFile(dir.file("in"), bytes);
    FILE* in = std::fopen(dir.file("in").c_str(), "rb");
    ASSERT_NE(in, nullptr);
    fs::create_directories(dir.file("tmp"));
    StreamCopy copy;
    EXPECT_EQ(copy.Fill(fileno(in), dir.file("tmp"), c.limit), c.end);
    std::fclose(in);
    EXPECT_TRUE(fs::is_empty(dir.file("tmp")));
    if (c.end == StreamCopyEnd::Copied) {
      EXPECT_EQ(ReadFile(copy.Path()), bytes);
    }
  }
}

}  // namespace
}  // namespace twick
