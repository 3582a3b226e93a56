#pragma once
// A section scanner over a scratch source file, for the scanner tests.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/TextStream.h"
#include "jobs/SectionScanner.h"
#include "tests/FakeWindow.h"
#include "tests/TestFiles.h"

namespace twick::test {

inline constexpr const char* kNoticeText =
    "The default output filename was not found!\nEncoded contents may be corrupted.\n"
    " Tarnwick will save the output file using the input filename.";
inline constexpr const char* kNoHeaderText =
    "Unable to find file header info!\nPlease do a manual decoding (autodecoding-OFF) and "
    "try all of the possible coding formats on the file.";
inline constexpr const char* kUndetectedText =
    "Unable to determine file's encoded format!\nPlease try a different \"Auto-Decoding\" "
    "mode, or manually decode the file with \"Auto-Decode OFF\".";

class ScannerHarness {
 public:
  ScannerHarness() {
    settings.outputFolder = dir.dir();
    settings.baseName = "mail";
  }

  /// Writes `text` as the source and opens it.
  bool Open(const std::string& text, int autoMode, int userFormat = kFormatXX) {
    WriteFile(dir.file("mail.txt"), text);
    settings.autoMode = autoMode;
    settings.userFormat = userFormat;
    return in.Open(dir.file("mail.txt"));
  }

  /// The scanner, made from `settings` when first used.
  SectionScanner& Scanner() {
    if (!scanner) scanner = std::make_unique<SectionScanner>(window, settings);
    return *scanner;
  }

  /// Searches for the next section: 1 with `section` set, else 0.
  int Next() {
    std::optional<Section> found = Scanner().FindNextSection(in);
    sectionStart = scanner->SectionStart();
    sectionCount = scanner->SectionCount();
    if (!found) return 0;
    section = std::move(*found);
    return 1;
  }

  std::string NextLine() {
    std::string line;
    in.ReadLine(line);
    return line;
  }

  /// Reads on the way a decoder would, up to and including `lastLine`.
  void Consume(const std::string& lastLine) {
    std::string line;
    while (in.ReadLine(line) && line != lastLine) {
    }
    sectionStart = in.Tell();
    Scanner().SectionReadTo(sectionStart);
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& m : window.messages) captions.push_back(m.caption);
    return captions;
  }

  std::string Out(const std::string& name) const { return dir.dir() + name; }

  ScratchDir dir;
  FakeWindow window;
  ScanSettings settings;
  std::unique_ptr<SectionScanner> scanner;
  Section section;
  TextStream in;
  uint64_t sectionStart = 0;
  int sectionCount = 0;
};

}  // namespace twick::test
