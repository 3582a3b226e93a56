#include "jobs/ContentFormat.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "codecs/Alphabets.h"
#include "jobs/HeaderLines.h"

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

  /// Letters and digits only, which XX and Base64 share.
  bool XXOrBase64() const { return xx == 1 && base64 == 1 && uu != 1 && binhex != 1; }

 private:
  static void Update(int& flag, bool fits) {
    if (flag != 2) flag = fits ? 1 : 2;
  }
};

/// A MIME boundary: "--" and no blanks, longer than any UU or XX line whose
/// count character is "-" (22 characters at most) could be.
bool IsLongBoundary(std::string_view line) {
  return line.size() > 22 && line.starts_with("--") &&
         line.find_first_of(" \t") == std::string_view::npos;
}

/// The lines that end the content a section's format is judged by.
bool EndsContent(std::string_view line) {
  return line.empty() || (line.size() <= 3 && StartsWithNoCase(line, "end")) ||
         StartsWithNoCase(line, "xbtoa ") || IsLongBoundary(line);
}

}  // namespace

int JudgeContentFormat(TextStream& in, int& btoaVersion) {
  ContentFlags flags;
  std::string_view line;
  std::string first;
  while (in.ReadLine(line) && !EndsContent(line)) {
    if (first.empty()) first = line;
    if (!flags.Take(line, btoaVersion)) break;
  }
  // Text of letters and digits alone: XX when the first line is as long as
  // its count character asks, Base64 otherwise.
  if (flags.XXOrBase64())
    return UUXXFormatOfFirstLine(first, UUAlphabet, XXAlphabet) == kFormatXX ? kFormatXX
                                                                             : kFormatBase64;
  return flags.Verdict();
}

}  // namespace twick
