#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "tests/TestFiles.h"

namespace twick {

// Readable values in failure messages.
static void PrintTo(const Settings& s, std::ostream* os) {
  *os << s.autoMode << ' ' << s.codeFormat << ' ' << s.dragDrop << s.useDefName << s.overwrite
      << s.pause << " '" << s.workingDir << "' '" << s.decodeDir << "' '" << s.encodeDir << "'";
  if (const auto& f = s.font) {
    for (int n : {f->height, f->width, f->escapement, f->orientation, f->weight, int{f->italic},
                  int{f->underline}, int{f->strikeOut}, int{f->charSet}, int{f->outPrecision},
                  int{f->clipPrecision}, int{f->quality}, int{f->pitchAndFamily}}) {
      *os << ' ' << n;
    }
    *os << " '" << f->faceName.substr(0, 40) << "'";
  }
  *os << " color " << (s.color ? std::to_string(*s.color) : "none");
}

namespace {

using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

using LineList = std::vector<std::string>;

std::string Lines(const LineList& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

LineList With(LineList lines, size_t index, std::string line) {
  lines[index] = std::move(line);
  return lines;
}

const LineList kFullBlock = {
    kSettingsHeader,  "WNDPOS=10 20 650 500",
    "AUTOMODE=2",     "CODEFORMAT=3",
    "DRAGDROP=0",     "USEDEFNAME=0",
    "OVERWRITE=1",    "PAUSE=0",
    "WORKINGDIR=/w/", "DECODEDIR=/out",
    "ENCODEDIR=",     "FONTATTR=-13 0 0 0 700 1 0 0 0 3 2 1 34",
    "Mono",           "COLOR=255",
};

const FontRecord kMono = {-13, 0, 0, 0, 700, 1, 0, 0, 0, 3, 2, 1, 34, "Mono"};

void FullBlockValues(Settings& s) {
  s.autoMode = 2;
  s.codeFormat = 3;
  s.dragDrop = s.useDefName = s.pause = false;
  s.overwrite = true;
  s.workingDir = "/w/";
  s.decodeDir = "/out/";  // separator added
  s.font = kMono;
  s.color = 255;
}

Settings Load(const std::string& content, Settings start = {}) {
  ScratchDir dir;
  WriteFile(dir.file("twick32.ini"), content);
  LoadSettings(dir.file("twick32.ini"), start);
  return start;
}

TEST(Settings, MissingFileKeepsTheDefaults) {
  Settings s;
  LoadSettings("/nonexistent/twick32.ini", s);
  EXPECT_EQ(s, Settings{});
  EXPECT_TRUE(s.autoMode == kAutoDecode1 && s.codeFormat == kFormatBase64 && s.dragDrop &&
              s.useDefName && !s.overwrite && s.pause && !s.font && !s.color);
}

TEST(Settings, ValuesAreTakenByLinePosition) {
  LineList twoBlocks = kFullBlock;
  twoBlocks.insert(twoBlocks.end(), {kSettingsHeader, "WNDPOS=0 0 0 0", "AUTOMODE=0"});
  LineList blankFirst = kFullBlock;
  blankFirst.insert(blankFirst.begin(), "");
  auto none = [](Settings&) {};
  const struct {
    const char* name;
    LineList lines;
    std::function<void(Settings&)> expect;  // applied to the defaults
  } cases[] = {
      // clang-format off
      {"full block", kFullBlock, FullBlockValues},
      {"misspelt keys", {kSettingsHeader, "", "AUTOMOD=2", "CODEFRMAT=3", "DROP=0", "X=0",
                         "OVRWRITE=1", "PAUS=0", "WORKNGDIRS=/w/", "DECODEDIX=/out", "ENCODEDIX",
                         "FONTATTX=-13 0 0 0 700 1 0 0 0 3 2 1 34", "Mono", "COLOX=255"},
       FullBlockValues},
      {"wrong order", With(With(kFullBlock, 4, "OVERWRITE=1"), 6, "DRAGDROP=0"),
       [](Settings& s) { FullBlockValues(s), s.dragDrop = true, s.overwrite = false; }},
      {"header inside line 1", With(kFullBlock, 0, std::string(" ") + kSettingsHeader + " x"),
       FullBlockValues},
      {"header in small letters", With(kFullBlock, 0, "[tarnwick32 v3.5 ini]"), none},
      {"header on line 2", blankFirst, none},
      {"short file", {kSettingsHeader, "WNDPOS=", "AUTOMODE=2"}, [](Settings& s) { s.autoMode = 2; }},
      {"saved without a font",
       {kSettingsHeader, "", "AUTOMODE=0", "CODEFORMAT=4", "DRAGDROP=0", "USEDEFNAME=1",
        "OVERWRITE=1", "PAUSE=1", "WORKINGDIR=/w", "DECODEDIR=", "ENCODEDIR=/e/", "COLOR=255"},
       [](Settings& s) {
         s.autoMode = 0, s.codeFormat = 4, s.dragDrop = false, s.overwrite = true;
         s.workingDir = "/w/", s.encodeDir = "/e/";
       }},
      {"last characters", {kSettingsHeader, "", "AUTOMODE=12", "CODEFORMAT=10", "DRAGDROP=",
                           "USEDEFNAME=1x", "OVERWRITE=5", "PAUSE=-"},
       [](Settings& s) { s.autoMode = 2, s.dragDrop = s.useDefName = s.pause = false, s.overwrite = true; }},
      {"NUL ends a line", {kSettingsHeader, "", std::string("AUTOMODE=2\0" "9", 12)},
       [](Settings& s) { s.autoMode = 2; }},
      {"second block wins", twoBlocks, [](Settings& s) { FullBlockValues(s), s.autoMode = 0; }},
      // clang-format on
  };
  for (const auto& c : cases) {
    Settings want;
    c.expect(want);
    EXPECT_EQ(Load(Lines(c.lines)), want) << c.name;
  }
}

TEST(Settings, FontAndColorAreTakenOnlyWhenSound) {
  const FontRecord old = {-20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Old"};
  const std::string face255(255, 'F');
  const struct {
    std::string numbers;
    std::optional<std::string> face;  // none: the file ends after the numbers
    FontRecord want;
  } cases[] = {
      // clang-format off
      {"-13 0 0 0 700 1 0 0 0 3 2 1 34", "Mono", kMono},
      {"+1000\t2 3 4 0 256 -1 321 0 0 0 0 0", "", {1000, 2, 3, 4, 0, 0, 255, 65, 0, 0, 0, 0, 0, ""}},
      {"-1000 0 0 0 1000 0 0 0 0 0 0 0 0", face255, {-1000, 0, 0, 0, 1000, 0, 0, 0, 0, 0, 0, 0, 0, face255}},
      {"-13 0 0 0 700 1 0 0 0 3 2 1 34", std::nullopt, {-13, 0, 0, 0, 700, 1, 0, 0, 0, 3, 2, 1, 34, ""}},
      {"-13 0 0 0 700 1 0 0 0 3 2 1", "Mono", old},  // twelve numbers
      {"-13 0 0 0 700 1 0 0 0 3 2 1 x34", "Mono", old},
      {"1001 0 0 0 700 0 0 0 0 0 0 0 0", "Mono", old},
      {"-2147483648 0 0 0 700 0 0 0 0 0 0 0 0", "Mono", old},
      {"-13 0 0 0 1001 0 0 0 0 0 0 0 0", "Mono", old},
      {"-13 0 0 0 -1 0 0 0 0 0 0 0 0", "Mono", old},
      {"-13 0 0 0 400 0 0 0 0 0 0 0 2147483648", "Mono", old},  // out of range
      {"-13 0 0 0 400 0 0 0 0 0 0 0 0", face255 + "F", old},
      // clang-format on
  };
  for (const auto& c : cases) {
    LineList lines = With(kFullBlock, 11, "FONTATTR=" + c.numbers);
    lines.resize(c.face ? 14 : 12);
    if (c.face) lines[12] = *c.face;
    Settings start;
    start.font = old;
    EXPECT_EQ(Load(Lines(lines), start).font, c.want) << c.numbers;
  }

  const std::pair<std::string, int32_t> colors[] = {
      {"COLOR=-1", -1},
      {"COLOR= 16711680x", 16711680},
      {"COLOR=abc", 0},
      {"COLOR", 0},
      {"COLOR=4294967295", 7}};  // out of range: not read
  for (const auto& [line, want] : colors) {
    Settings start;
    start.color = 7;
    EXPECT_EQ(Load(Lines(With(kFullBlock, 13, line)), start).color, want) << line;
  }
}

TEST(Settings, WindowPositionComesFromTheSecondLine) {
  const std::pair<LineList, std::optional<WindowRect>> cases[] = {
      {{kSettingsHeader, "WNDPOS=10 20 650 500"}, WindowRect{10, 20, 650, 500}},
      {{kSettingsHeader, "1234567-5  -6 7 8 junk"}, WindowRect{-5, -6, 7, 8}},
      {{kSettingsHeader, "WNDPOS=10 20 650"}, std::nullopt},
      {{kSettingsHeader, "WNDPOS=10 20 650 -10"}, std::nullopt},
      {{kSettingsHeader, "WNDPOS=10 20 650 9999999999"}, std::nullopt},
      {{"no header", "WNDPOS=10 20 650 500"}, std::nullopt},
      {{kSettingsHeader}, std::nullopt},
  };
  for (const auto& [lines, want] : cases) {
    ScratchDir dir;
    WriteFile(dir.file("twick32.ini"), Lines(lines));
    WindowRect rect{1, 1, 1, 1};
    EXPECT_EQ(ReadWindowPosition(dir.file("twick32.ini"), rect), want.has_value()) << lines.back();
    EXPECT_EQ(rect, want.value_or(WindowRect{1, 1, 1, 1})) << lines.back();
  }
}

TEST(Settings, SavedFileHasTheExactLinesWithCrLf) {
  ScratchDir dir;
  Settings s;
  FullBlockValues(s);
  s.font->pitchAndFamily = 255;
  ASSERT_TRUE(SaveSettings(dir.file("twick32.ini"), s, {-4, 0, 1020, 740}));
  EXPECT_EQ(ReadFile(dir.file("twick32.ini")),
            "[TARNWICK32 V3.5 INI]\r\nWNDPOS=-4 0 1020 740\r\nAUTOMODE=2\r\nCODEFORMAT=3\r\n"
            "DRAGDROP=0\r\nUSEDEFNAME=0\r\nOVERWRITE=1\r\nPAUSE=0\r\nWORKINGDIR=/w/\r\n"
            "DECODEDIR=/out/\r\nENCODEDIR=\r\nFONTATTR=-13 0 0 0 700 1 0 0 0 3 2 1 255\r\n"
            "Mono\r\nCOLOR=255\r\n");
}

TEST(Settings, SaveThenLoadGivesEverythingBack) {
  std::vector<Settings> variants(3);
  FullBlockValues(variants[1]);
  variants[2].codeFormat = 7;
  variants[2].workingDir = "/home/me/";
  variants[2].decodeDir = "/tmp/de code/";
  variants[2].font = FontRecord{12, 7, -900, 900, 0, 255, 1, 1, 238, 255, 128, 5, 49, ""};
  variants[2].color = -1;
  for (const auto& saved : variants) {
    ScratchDir dir;
    const WindowRect window{-8, -8, 1928, 1088};
    ASSERT_TRUE(SaveSettings(dir.file("twick32.ini"), saved, window));
    Settings loaded;
    LoadSettings(dir.file("twick32.ini"), loaded);
    Settings want = saved;
    if (!saved.font) want.color.reset();  // without a font the colour line is not taken
    EXPECT_EQ(loaded, want);
    WindowRect rect;
    EXPECT_TRUE(ReadWindowPosition(dir.file("twick32.ini"), rect));
    EXPECT_EQ(rect, window);
  }
}

TEST(Settings, FailedSaveKeepsTheOldFile) {
  ScratchDir dir;
  const std::string path = dir.file("twick32.ini");
  const std::string old = Lines(kFullBlock);
  WriteFile(path, old);
  Settings s;
  s.decodeDir = "/a\nb/";  // would shift every later line
  EXPECT_FALSE(SaveSettings(path, s, {}));
  s.decodeDir.clear();

  // A file-size limit makes the write itself fail.
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(SaveSettings(path, s, {}) ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  if (geteuid() != 0) {  // a read-only file stays (root may write anything)
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    EXPECT_FALSE(SaveSettings(path, s, {}));
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }
  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_FALSE(SaveSettings(dir.file("folder"), s, {}));
  EXPECT_FALSE(SaveSettings(path + "/twick32.ini", s, {}));  // under a regular file
  EXPECT_EQ(ReadFile(path), old);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(Settings, HostileContentIsReadSafely) {
  const std::string big(1 << 20, 'x');
  for (size_t line = 1; line < kFullBlock.size(); ++line) {
    Settings s = Load(Lines(With(kFullBlock, line, big)));
    if (line == 8) {
      EXPECT_EQ(s.workingDir, big.substr(11) + "/");
    }
  }
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::string junk = test::RandomBytes(4000, seed);
    Load(junk);
    Load(std::string(kSettingsHeader) + "\n" + junk + "\n" + kSettingsHeader + "\n" + junk);
  }
  Load(std::string(kSettingsHeader) + std::string(1 << 16, '\0'));
}

TEST(Settings, FileLivesBesideTheProgramOrInTheConfigFolder) {
  ScratchDir dir;
  EXPECT_EQ(SettingsFilePath(dir.path().string()), dir.file("twick32.ini"));
  EXPECT_EQ(SettingsFilePath(dir.dir()), dir.file("twick32.ini"));

  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = oldXdg ? oldXdg : "";
  const std::string missing = dir.file("no/such/folder");
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  const std::string configured = SettingsFilePath(missing);
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  const std::string fallback = SettingsFilePath(missing);
  oldXdg ? setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");

  EXPECT_EQ(configured, dir.file("config/twick32/twick32.ini"));
  if (const char* home = std::getenv("HOME"); home && *home) {
    EXPECT_EQ(fallback, std::string(home) + "/.config/twick32/twick32.ini");
  }
  ASSERT_TRUE(SaveSettings(configured, Settings{}, {}));  // creates the folder
  EXPECT_EQ(ReadFile(configured).substr(0, 21), kSettingsHeader);
}

}  // namespace
}  // namespace twick
