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

#include "shell/Settings.h"
#include "tests/TestFiles.h"

namespace twick {

// Readable values in failure messages.
static void PrintTo(const FontRecord& f, std::ostream* os) {
  *os << f.height << ' ' << f.width << ' ' << f.escapement << ' ' << f.orientation << ' '
      << f.weight;
  for (int byte : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                   f.clipPrecision, f.quality, f.pitchAndFamily}) {
    *os << ' ' << byte;
  }
  *os << " '" << f.faceName << "'";
}

static void PrintTo(const Settings& s, std::ostream* os) {
  *os << "{" << s.autoMode << ' ' << s.codeFormat << ' ' << s.dragDrop << s.useDefName
      << s.overwrite << s.pause << " '" << s.workingDir << "' '" << s.decodeDir << "' '"
      << s.encodeDir << "' font ";
  if (s.font) PrintTo(*s.font, os);
  *os << " color " << (s.color ? std::to_string(*s.color) : "none") << "}";
}

namespace {

using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

const std::vector<std::string> kFullBlock = {
    kSettingsHeader, "WNDPOS=10 20 650 500", "AUTOMODE=2", "CODEFORMAT=3", "DRAGDROP=0",
    "USEDEFNAME=0", "OVERWRITE=1", "PAUSE=0", "WORKINGDIR=/w/", "DECODEDIR=/out",
    "ENCODEDIR=", "FONTATTR=-13 0 0 0 700 1 0 0 0 3 2 1 34", "Mono", "COLOR=255"};

FontRecord MonoFont() { return {-13, 0, 0, 0, 700, 1, 0, 0, 0, 3, 2, 1, 34, "Mono"}; }

void FullBlockValues(Settings& s) {
  s.autoMode = 2;
  s.codeFormat = 3;
  s.dragDrop = s.useDefName = s.pause = false;
  s.overwrite = true;
  s.workingDir = "/w/";
  s.decodeDir = "/out/";
  s.font = MonoFont();
  s.color = 255;
}

std::vector<std::string> With(std::vector<std::string> lines, size_t index, std::string line) {
  lines[index] = std::move(line);
  return lines;
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
  EXPECT_EQ(s.autoMode, kAutoDecode1);
  EXPECT_EQ(s.codeFormat, kFormatBase64);
  EXPECT_TRUE(s.dragDrop && s.useDefName && s.pause && !s.overwrite);
  EXPECT_FALSE(s.font || s.color);
}

struct LoadCase {
  const char* name;
  std::vector<std::string> lines;
  std::function<void(Settings&)> expect;  // applied to the defaults
};

TEST(Settings, ValuesAreTakenByLinePosition) {
  auto twoBlocks = kFullBlock;
  twoBlocks.insert(twoBlocks.end(), {kSettingsHeader, "WNDPOS=0 0 0 0", "AUTOMODE=0"});
  auto blankFirst = kFullBlock;
  blankFirst.insert(blankFirst.begin(), "");
  const LoadCase cases[] = {
      {"full block", kFullBlock, FullBlockValues},
      {"misspelt keys", {kSettingsHeader, "", "AUTOMOD=2", "CODEFRMAT=3", "DROP=0", "X=0",
                         "OVRWRITE=1", "PAUS=0", "WORKNGDIRS=/w/", "DECODEDIX=/out", "ENCODEDIX",
                         "FONTATTX=-13 0 0 0 700 1 0 0 0 3 2 1 34", "Mono", "COLOX=255"},
       FullBlockValues},
      {"wrong order", With(With(kFullBlock, 4, "OVERWRITE=1"), 6, "DRAGDROP=0"),
       [](Settings& s) { FullBlockValues(s); s.dragDrop = true; s.overwrite = false; }},
      {"header inside the first line", With(kFullBlock, 0, std::string(" ") + kSettingsHeader + " x"),
       FullBlockValues},
      {"header in small letters", With(kFullBlock, 0, "[tarnwick32 v3.5 ini]"), [](Settings&) {}},
      {"header not on the first line", blankFirst, [](Settings&) {}},
      {"short file", {kSettingsHeader, "WNDPOS=", "AUTOMODE=2"}, [](Settings& s) { s.autoMode = 2; }},
      {"saved without a font",
       {kSettingsHeader, "WNDPOS=1 2 3 4", "AUTOMODE=0", "CODEFORMAT=4", "DRAGDROP=0",
        "USEDEFNAME=1", "OVERWRITE=1", "PAUSE=1", "WORKINGDIR=/w", "DECODEDIR=", "ENCODEDIR=/e/",
        "COLOR=255"},
       [](Settings& s) {
         s.autoMode = 0;
         s.codeFormat = 4;
         s.dragDrop = false;
         s.overwrite = true;
         s.workingDir = "/w/";
         s.encodeDir = "/e/";
       }},
      {"last characters", {kSettingsHeader, "", "AUTOMODE=12", "CODEFORMAT=10", "DRAGDROP=",
                           "USEDEFNAME=1x", "OVERWRITE=5", "PAUSE=-"},
       [](Settings& s) {
         s.autoMode = 2;
         s.dragDrop = s.useDefName = s.pause = false;
         s.overwrite = true;
       }},
      {"NUL ends a line", {kSettingsHeader, "", std::string("AUTOMODE=2\0" "9", 12),
                           std::string("\0", 1)},
       [](Settings& s) { s.autoMode = 2; }},
      {"second block wins", twoBlocks, [](Settings& s) { FullBlockValues(s); s.autoMode = 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Settings want;
    c.expect(want);
    EXPECT_EQ(Load(Lines(c.lines)), want);
  }
}

TEST(Settings, FontLineIsTakenOnlyWhenComplete) {
  const FontRecord previous = {-20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Old"};
  std::string face255(255, 'F');
  struct FontCase {
    std::string numbers;
    std::optional<std::string> face;  // none: the file ends after the numbers
    std::optional<FontRecord> want;   // none: the previous font stays
  } cases[] = {
      {"-13 0 0 0 700 1 0 0 0 3 2 1 34", "Mono", MonoFont()},
      {"+1000\t2 3 4 0 256 -1 321 0 0 0 0 0", "", FontRecord{1000, 2, 3, 4, 0, 0, 255, 65, 0, 0, 0, 0, 0, ""}},
      {"-1000 0 0 0 1000 0 0 0 0 0 0 0 0", face255,
       FontRecord{-1000, 0, 0, 0, 1000, 0, 0, 0, 0, 0, 0, 0, 0, face255}},
      {"-13 0 0 0 700 1 0 0 0 3 2 1 34", std::nullopt,
       FontRecord{-13, 0, 0, 0, 700, 1, 0, 0, 0, 3, 2, 1, 34, ""}},
      {"-13 0 0 0 700 1 0 0 0 3 2 1", "Mono", std::nullopt},     // twelve numbers
      {"-13 0 0 0 700 1 0 0 0 3 2 1 x34", "Mono", std::nullopt},
      {"1001 0 0 0 700 0 0 0 0 0 0 0 0", "Mono", std::nullopt},  // too large
      {"-2147483648 0 0 0 700 0 0 0 0 0 0 0 0", "Mono", std::nullopt},
      {"2147483648 0 0 0 700 0 0 0 0 0 0 0 0", "Mono", std::nullopt},  // out of range
      {"-13 0 0 0 1001 0 0 0 0 0 0 0 0", "Mono", std::nullopt},
      {"-13 0 0 0 -1 0 0 0 0 0 0 0 0", "Mono", std::nullopt},
      {"-13 0 0 0 400 0 0 0 0 0 0 0 99999999999", "Mono", std::nullopt},
      {"-13 0 0 0 400 0 0 0 0 0 0 0 0", face255 + "F", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.numbers);
    auto lines = With(kFullBlock, 11, "FONTATTR=" + c.numbers);
    lines.resize(c.face ? 14 : 12);
    if (c.face) lines[12] = *c.face;
    Settings start;
    start.font = previous;
    EXPECT_EQ(Load(Lines(lines), start).font, c.want.value_or(previous));
  }
}

TEST(Settings, ColorLineReadsLikeAtolWithoutOverflow) {
  const std::pair<std::string, std::optional<int32_t>> cases[] = {
      {"COLOR=-1", -1}, {"COLOR= 16711680x", 16711680}, {"COLOR=abc", 0},
      {"COLOR", 0}, {"COLOR=4294967295", 7}};
  for (const auto& [line, want] : cases) {
    SCOPED_TRACE(line);
    Settings start;
    start.color = 7;
    EXPECT_EQ(Load(Lines(With(kFullBlock, 13, line)), start).color, want);
  }
}

TEST(Settings, WindowPositionComesFromTheSecondLine) {
  const std::pair<std::vector<std::string>, std::optional<WindowRect>> cases[] = {
      {{kSettingsHeader, "WNDPOS=10 20 650 500"}, WindowRect{10, 20, 650, 500}},
      {{kSettingsHeader, "1234567-5  -6 7 8 junk"}, WindowRect{-5, -6, 7, 8}},
      {{kSettingsHeader, "WNDPOS=10 20 650"}, std::nullopt},
      {{kSettingsHeader, "WNDPOS=10 20 650 -10"}, std::nullopt},
      {{kSettingsHeader, "WNDPOS=10 20 650 9999999999"}, std::nullopt},
      {{"no header", "WNDPOS=10 20 650 500"}, std::nullopt},
      {{kSettingsHeader}, std::nullopt},
  };
  for (const auto& [lines, want] : cases) {
    SCOPED_TRACE(lines.back());
    ScratchDir dir;
    WriteFile(dir.file("twick32.ini"), Lines(lines));
    WindowRect rect{1, 1, 1, 1};
    bool read = ReadWindowPosition(dir.file("twick32.ini"), rect);
    EXPECT_EQ(read, want.has_value());
    EXPECT_EQ(rect, want.value_or(WindowRect{1, 1, 1, 1}));
  }
  WindowRect rect;
  EXPECT_FALSE(ReadWindowPosition("/nonexistent/twick32.ini", rect));
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
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Settings, SaveThenLoadGivesEverythingBack) {
  std::vector<Settings> variants(3);
  FullBlockValues(variants[1]);
  variants[1].font->faceName = "Deja Vu Sans Mono";
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
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  std::filesystem::create_directory(dir.file("folder"));
  EXPECT_FALSE(SaveSettings(dir.file("folder"), s, {}));
  EXPECT_FALSE(SaveSettings(path + "/twick32.ini", s, {}));  // under a regular file
  EXPECT_EQ(ReadFile(path), old);
}

TEST(Settings, HostileContentIsReadSafely) {
  const std::string big(1 << 20, 'x');
  for (size_t line = 1; line < kFullBlock.size(); ++line) {
    Settings s = Load(Lines(With(kFullBlock, line, big)));
    if (line == 8) {
      EXPECT_EQ(s.workingDir.size(), big.size() - 11 + 1);
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
  std::string savedXdg = oldXdg ? oldXdg : "";
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
  const std::string missing = dir.file("no/such/folder");
  EXPECT_EQ(SettingsFilePath(missing), dir.file("config/twick32/twick32.ini"));
  setenv("XDG_CONFIG_HOME", "relative", 1);
  if (const char* home = std::getenv("HOME"); home && *home) {
    EXPECT_EQ(SettingsFilePath(missing), std::string(home) + "/.config/twick32/twick32.ini");
  }
  if (oldXdg) setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");

  // Saving there creates the folder.
  ASSERT_TRUE(SaveSettings(dir.file("config/twick32/twick32.ini"), Settings{}, {}));
  EXPECT_EQ(ReadFile(dir.file("config/twick32/twick32.ini")).substr(0, 21), kSettingsHeader);
}

}  // namespace
}  // namespace twick
