#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/Messages.h"
#include "core/PathRules.h"

namespace twick {
namespace {

TEST(PathRules, SplitAtTheLastSeparatorOnly) {
  struct Case {
    std::string path, folder, name, base;
  } cases[] = {
      {"/home/u/mail.txt", "/home/u/", "mail.txt", "mail"},
      {"/home/u.d/mail", "/home/u.d/", "mail", "mail"},  // a dot in the folder stays there
      {"a.tar.gz", "", "a.tar.gz", "a.tar"},
      {"/srv/.profile", "/srv/", ".profile", ""},
      {"/", "/", "", ""},
      {"C:\\x\\y.txt", "", "C:\\x\\y.txt", "C:\\x\\y"},  // '\\' is a name character here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DirectoryOf(c.path), c.folder) << c.path;
    EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
    EXPECT_EQ(BaseNameOf(c.path), c.base) << c.path;
    EXPECT_EQ(DirectoryOf(c.path) + FileNameOf(c.path), c.path) << c.path;
  }
}

TEST(PathRules, FoldersEndWithTheSeparatorUnlessEmpty) {
  EXPECT_EQ(WithTrailingSeparator(""), "");
  EXPECT_EQ(WithTrailingSeparator("/tmp"), "/tmp/");
  EXPECT_EQ(WithTrailingSeparator("/tmp/"), "/tmp/");
}

TEST(PathRules, NumberedNamesGoBeforeTheLastExtension) {
  std::set<std::string> taken = {"/o/a-1.txt"};
  auto isTaken = [&](const std::string& p) { return taken.count(p) != 0; };
  EXPECT_EQ(FreeNumberedName("/o/a.txt", isTaken), "/o/a-2.txt");
  EXPECT_EQ(FreeNumberedName("/o/README", isTaken), "/o/README-1");
  EXPECT_EQ(FreeNumberedName("/o/.profile", isTaken), "/o/.profile-1");
  EXPECT_EQ(FreeNumberedName("/o.d/x", isTaken), "/o.d/x-1");
  // Names with no real stem keep their dots together.
  EXPECT_EQ(FreeNumberedName("/o/...", isTaken), "/o/...-1");
  EXPECT_EQ(FreeNumberedName("/o/..a", isTaken), "/o/..a-1");
}

// Names past the file system's limit are cut before the extension and the
// number, never inside a UTF-8 sequence.
TEST(PathRules, LongNamesAreCutKeepingExtensionAndNumber) {
  const std::string stem(300, 'n');
  struct Case {
    std::string path;
    bool numbered;
    std::string expectedEnd;
  } cases[] = {
      {"/o/" + stem + ".pdf", false, "nnn.pdf"},
      {"/o/" + stem, false, "nnn"},
      {"/o/" + std::string(251, 'n') + ".pdf", true, "nnn-1.pdf"},
      {"/o/" + std::string(255, 'n'), true, "nnn-1"},
      {"/o/a." + stem, false, "nnn"},  // an extension too long to keep is cut
      {"/o/" + std::string(250, 'n') + "\xC3\xA9\xC3\xA9\xC3\xA9.txt", false, "nnn.txt"},
  };
  for (const Case& c : cases) {
    const std::string out = c.numbered
                                ? FreeNumberedName(c.path, [](const std::string&) { return false; })
                                : FitNameLength(c.path);
    const std::string name = FileNameOf(out);
    EXPECT_LE(name.size(), kMaxNameBytes) << c.path.size();
    EXPECT_GE(name.size(), kMaxNameBytes - 4) << c.path.size();
    EXPECT_TRUE(out.starts_with("/o/") && out.ends_with(c.expectedEnd)) << out;
    EXPECT_EQ(out.find('\xC3'), std::string::npos) << "a cut UTF-8 sequence";
  }
  EXPECT_EQ(FitNameLength("/o/short.txt"), "/o/short.txt");
}

TEST(Messages, LongPathsAreShownCutInTheMiddle) {
  const std::string longest(1024, 'a'), e = "\xC3\xA9";  // e: two UTF-8 bytes
  struct Case {
    std::string path, shown;
  } cases[] = {
      {"/o/a.bin", "/o/a.bin"},
      {longest, longest},
      {longest + "z", std::string(510, 'a') + "..." + std::string(509, 'a') + "z"},
      {"/" + std::string(3 << 20, 'd') + "/x.bin",
       "/" + std::string(509, 'd') + "..." + std::string(504, 'd') + "/x.bin"},
      // Cut between characters, never inside one.
      {std::string(509, 'a') + e + std::string(600, 'b') + e + std::string(509, 'c'),
       std::string(509, 'a') + "..." + std::string(509, 'c')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShownPath(c.path), c.shown) << c.path.size();
    EXPECT_EQ(OutputFailedText(c.path, "Decoding aborted!"),
              "Error creating/writing to output file:\n" + c.shown + "\nDecoding aborted!");
  }
}

}  // namespace
}  // namespace twick
