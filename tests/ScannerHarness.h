#pragma once
// A decode job over a scratch source file, for the scanner tests.

#include <cstdint>
#include <string>
#include <vector>

#include "core/TextStream.h"
#include "jobs/DecodeJob.h"
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
    job.m_strSourceDir = dir.dir();
    job.m_strBaseName = "mail";
  }

  /// Writes `text` as the source and opens it.
  bool Open(const std::string& text, int autoMode, int userFormat = kFormatXX) {
    WriteFile(dir.file("mail.txt"), text);
    job.m_nAutoMode = autoMode;
    job.m_nCodeFormat = userFormat;
    return in.Open(dir.file("mail.txt"));
  }

  int Next() { return job.FindNextSection(in, sectionStart, sectionCount); }

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
  }

  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& m : window.messages) captions.push_back(m.caption);
    return captions;
  }

  std::string Out(const std::string& name) const { return dir.dir() + name; }

  ScratchDir dir;
  FakeWindow window;
  CDecodeJob job{window};
  TextStream in;
  uint64_t sectionStart = 0;
  int sectionCount = 0;
};

}  // namespace twick::test
