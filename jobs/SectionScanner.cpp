// The section scanner: finds the next encoded section of the source, takes
// its output name from the header, settles the format to decode it with and
// leaves the stream at the section's first data line.

#include <array>
#include <string_view>

#include "core/BinHex.h"
#include "core/Messages.h"
#include "core/PathRules.h"
#include "jobs/DecodeJob.h"
#include "jobs/HeaderLines.h"
#include "jobs/MimeNames.h"
#include "jobs/PlainLines.h"

namespace twick {
namespace {

// What each character says about the format of the text it stands in.
enum : uint8_t {
  kFitsAll = 1,  // digits, '+' and most capitals: passed over
  kFitsXX = 2,
  kFitsUU = 4,
  kFitsBase64 = 8,
  kFitsBinHex = 16,
  kFitsBtoa = 32,
};

constexpr std::array<uint8_t, 256> BuildCharacterFits() {
  std::array<uint8_t, 256> fits{};
  for (int c = 0; c < 256; ++c) {
    bool lower = c >= 'a' && c <= 'z';
    uint8_t f = 0;
    if ((c >= '0' && c <= '9') || c == '+' || (c >= 'A' && c <= 'Z' && c != 'O' && c != 'W')) {
      f |= kFitsAll;
    }
    if (lower || c == 'O' || c == 'W' || c == '-') f |= kFitsXX;
    if ((c >= 0x20 && c <= 0x60) || c == '~') f |= kFitsUU;
    if (lower || c == 'O' || c == 'W' || c == '/' || c == '=') f |= kFitsBase64;
    if ((c >= 0x21 && c <= 0x2D) || (c >= 'a' && c <= 'f') || (c >= 'h' && c <= 'm') ||
        (c >= 'p' && c <= 'r') || c == '@' || c == '[' || c == '`' || c == ':') {
      f |= kFitsBinHex;
    }
    if ((c >= 0x21 && c <= 0x75) || c == 'y' || c == 'z') f |= kFitsBtoa;
    fits[static_cast<size_t>(c)] = f;
  }
  return fits;
}

constexpr std::array<uint8_t, 256> kCharacterFits = BuildCharacterFits();

/// One flag per format: 0 nothing seen yet, 1 everything seen fits, 2 ruled out.
struct ContentFlags {
  int xx = 0, uu = 0, base64 = 0, binhex = 0, btoa = 0;

  /// Takes the characters of one line; false once at most one of XX, UU,
  /// Base64 and BinHex still fits, which ends the scan.
  bool Take(std::string_view line, int& btoaVersion) {
    for (char ch : line) {
      const unsigned char c = static_cast<unsigned char>(ch);
      const uint8_t fits = kCharacterFits[c];
      if (fits & kFitsAll) continue;
      Update(xx, fits & kFitsXX);
      Update(uu, fits & kFitsUU);
      Update(base64, fits & kFitsBase64);
      Update(binhex, fits & kFitsBinHex);
      // Once a btoa character has been seen, later ones cannot rule btoa out.
      if (btoa != 2) {
        if (fits & kFitsBtoa) {
          btoa = 1;
          if (c == 'y') btoaVersion = 5;
        } else if (btoa == 0) {
          btoa = 2;
        }
      }
      if (xx + uu + base64 + binhex >= 7) return false;
    }
    return true;
  }

  /// The one format that fits alone, or -1.
  int Verdict() const {
    auto fit = [](int flag) { return flag == 1; };
    bool x = fit(xx), u = fit(uu), b = fit(base64), h = fit(binhex), a = fit(btoa);
    if (x && !u && !b && !h) return kFormatXX;
    if (u && !x && !b && !h) return kFormatUU;
    if (b && !u && !x && !h) return kFormatBase64;
    if (h && !u && !x && !b) return kFormatBinHex;
    if (a && !x && !u && !b && !h) return kFormatBtoa;
    return -1;
  }

 private:
  static void Update(int& flag, bool fits) {
    if (flag != 2) flag = fits ? 1 : 2;
  }
};

/// The lines that end the content a section's format is judged by.
bool EndsContent(std::string_view line) {
  return line.empty() || (line.size() <= 3 && StartsWithNoCase(line, "end")) ||
         StartsWithNoCase(line, "xbtoa ");
}

/// Moves `offset` past the lines that are at most `longest` characters long
/// and leaves the stream there. With `btoa`, a line that is only "z" or "y"
/// is data (four bytes) and stops the pass.
void PassShortLines(TextStream& in, uint64_t& offset, size_t longest, bool btoa = false) {
  in.Seek(offset);
  std::string_view line;
  while (in.ReadLine(line) && line.size() <= longest && !(btoa && (line == "z" || line == "y")))
    offset = in.Tell();
  in.Seek(offset);
}

}  // namespace

std::string CDecodeJob::OutputFolder() const {
  return m_strDecodeDir.empty() ? m_strSourceDir : m_strDecodeDir;
}

void CDecodeJob::SetHeaderOutput(const std::string& name, bool notice) {
  std::string safe = SanitizeHeaderName(name);
  if (safe.empty()) {
    if (notice)
      m_window.ShowMessage(kMissingNameText, kMissingNameCaption, MessageIcon::Exclamation);
    m_strOutput = OutputFolder() + m_strBaseName;
  } else {
    m_strOutput = OutputFolder() + safe;
  }
}

void CDecodeJob::ExtractBinHexName(std::string& text) const {
  text = DecodeBinHexName(text, *m_pBinHexTable);
}

int CDecodeJob::FindNextSection(TextStream& in, uint64_t& sectionStart, int& sectionCount) {
  ++sectionCount;
  for (;;) {
    uint64_t pos = sectionStart;
    int headerFormat = m_nCodeFormat;
    if (ParseSectionHeader(in, pos, headerFormat) != 1) break;
    // Blank and one-character lines before the data are passed over.
    PassShortLines(in, pos, 1, headerFormat == kFormatBtoa);
    if (m_nAutoMode == kAutoDecode1) {
      m_nCodeFormat = headerFormat;
      sectionStart = pos;
      return 1;
    }
    if (m_nAutoMode != kAutoDecode2) {
      // Manual decoding (and any unknown mode) keeps the user's format.
      sectionStart = pos;
      return 1;
    }
    m_nCodeFormat = headerFormat;
    int detected = headerFormat;
    if (DetectContentFormat(in, pos, detected) == 1) {
      // A btoa or begin-base64 header is trusted over the content.
      if (!m_bHeaderDecides) m_nCodeFormat = detected;
      sectionStart = pos;
      return 1;
    }
    if (in.Failed()) break;
    // The section was reported; the search goes on after its header, and
    // the job counts it as failed.
    ++m_result.failed;
    ++sectionCount;
    sectionStart = pos;
  }

  in.Seek(sectionStart);
  if (m_nAutoMode != kAutoOff) {
    // After a read error the job reports that instead.
    if (sectionCount == 1 && !in.Failed())
      m_window.ShowMessage(kNoHeaderFoundText, kContentErrorCaption, MessageIcon::Stop);
    return 0;
  }
  if (sectionCount != 1) return 0;
  // Without any header the whole file is one section in the user's format.
  uint64_t firstLine = sectionStart;
  PassShortLines(in, firstLine, 0);
  m_strOutput = OutputFolder() + m_strBaseName;
  return 1;
}

int CDecodeJob::ParseSectionHeader(TextStream& in, uint64_t& dataStart, int& headerFormat) {
  m_bEqualsLineEnds = false;
  m_bBeginHeader = false;
  // The MIME part whose header block is being read: a blank line ends the
  // block, a boundary line starts a new part, and a name never carries over
  // from one block to the next.
  MimeNameCollector blockName;
  bool blockBase64 = false;
  auto takeMimePart = [&](uint64_t bodyStart) {
    dataStart = bodyStart;
    SetHeaderOutput(blockName.Name(), true);
    headerFormat = kFormatBase64;
    m_bHeaderDecides = false;
    return 1;
  };
  std::string_view line;
  // Plain text lines are passed over in bulk; the rest are read one by one.
  auto nextLine = [&] {
    SkipPlainLines(in);
    return in.ReadLine(line);
  };
  while (nextLine()) {
    if (line.size() <= 1) {
      if (blockBase64 && blockName.HasName()) return takeMimePart(in.Tell());
      blockName.Clear();
      blockBase64 = false;
      continue;
    }
    const char first = static_cast<char>(line.front() | 0x20);
    if (first == 'b' && IsUUXXHeader(line)) {
      const uint64_t afterHeader = in.Tell();
      std::string name = UUXXHeaderName(line);
      std::string_view firstData;
      if (!in.ReadLine(firstData)) firstData = {};
      int format = UUXXFormatOfFirstLine(firstData, m_pUUAlphabet, m_pXXAlphabet);
      if (format != 0) {
        dataStart = afterHeader;
        SetHeaderOutput(name, true);
        headerFormat = format;
        m_bHeaderDecides = false;
        m_bBeginHeader = true;
        return 1;
      }
      // Prose that happens to begin with "begin ": search on from the next line.
      in.Seek(afterHeader);
      continue;
    }
    if (first == 'b' && IsBase64BeginHeader(line)) {
      dataStart = in.Tell();
      SetHeaderOutput(UUXXHeaderName(line), true);
      headerFormat = kFormatBase64;
      m_bHeaderDecides = true;
      m_bEqualsLineEnds = true;
      return 1;
    }
    if (first == 'x' && IsBtoaHeader(line)) {
      dataStart = in.Tell();
      SetHeaderOutput(BtoaHeaderName(line, m_nBtoaVersion), false);
      headerFormat = kFormatBtoa;
      m_bHeaderDecides = true;
      return 1;
    }
    if (line.front() == '(' && IsBinHexHeader(line)) {
      dataStart = in.Tell();
      // Some encoders put blank lines between the banner and the data.
      std::string_view firstData;
      while (in.ReadLine(firstData) && firstData.empty()) {
      }
      std::string name(BinHexNameField(firstData));
      ExtractBinHexName(name);
      SetHeaderOutput(name, true);
      headerFormat = kFormatBinHex;
      m_bHeaderDecides = false;
      return 1;
    }
    if (line.front() == '-' && line[1] == '-') {
      blockName.Clear();
      blockBase64 = false;
      continue;
    }
    // Name lines hold "=", encoding lines ":"; most lines hold neither.
    if (line.find('=') != std::string_view::npos && blockName.Take(line)) continue;
    if (line.find(':') != std::string_view::npos && IsBase64EncodingLine(line)) blockBase64 = true;
  }
  // A header block that runs to the end of the file has an empty body.
  if (blockBase64 && blockName.HasName()) return takeMimePart(in.Tell());
  return 0;
}

int CDecodeJob::DetectContentFormat(TextStream& in, uint64_t& dataStart, int& detectedFormat) {
  PassShortLines(in, dataStart, 0);
  ContentFlags flags;
  std::string_view line;
  while (in.ReadLine(line) && !EndsContent(line)) {
    if (!flags.Take(line, m_nBtoaVersion)) break;
  }
  in.Seek(dataStart);
  int format = flags.Verdict();
  if (format < 0) {
    if (in.Failed()) return 0;
    m_window.ShowMessage(kUnknownFormatText, kDetectionErrorCaption, MessageIcon::Stop);
    return 0;
  }
  detectedFormat = format;
  return 1;
}

}  // namespace twick
