// An output that may not replace anything never does, even when its name is
// taken after the output was created: the commit fails, whatever took the
// name stays as it was, and nothing of the output is left in the folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "core/OutputFile.h"
#include "core/PlatformPosix.h"
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
  for (const Intruder& intruder : kIntruders) {
    SCOPED_TRACE(intruder.what);
    ScratchDir dir;
    const std::string name = dir.file("out.bin");
    OutputOptions options;
    options.replace = false;
    auto out = DiskOutputOpener().Create(name, options);
    ASSERT_TRUE(out);
    ASSERT_TRUE(out->Write("ours", 4));
    if (intruder.takeName) intruder.takeName(dir, name);
    Snapshot before = Contents(dir);
    std::erase_if(before, [](const auto& e) { return e.first.starts_with(".twick-"); });

    EXPECT_EQ(out->Close(), intruder.takeName == nullptr);
    EXPECT_EQ(Contents(dir), Expected(before, intruder.takeName != nullptr, ""));
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

}  // namespace
}  // namespace twick
