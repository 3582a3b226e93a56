#include "jobs/SectionScanner.h"

#include <cstring>
#include <string_view>
#include <utility>

#include "codecs/BinHex.h"
#include "core/Messages.h"
#include "core/PathRules.h"
#include "jobs/ContentFormat.h"
#include "jobs/HeaderLines.h"

namespace twick {
namespace {

/// Whether a one-character line is data of the format: "z" or "y" in btoa
/// (four bytes), a Base64 character (Base64 may be written at any width).
bool OneCharacterData(std::string_view line, int format) {
  if (line.size() != 1) return false;
  if (format == kFormatBtoa) return line == "z" || line == "y";
  return format == kFormatBase64 && line[0] != 0 && std::strchr(Base64Alphabet, line[0]) != nullptr;
}

/// Moves `offset` past the lines that are at most `longest` characters long
/// (but not the one-character data lines of `format`) and leaves the stream
/// there.
void PassShortLines(TextStream& in, uint64_t& offset, size_t longest, int format = -1) {
  in.Seek(offset);
  std::string_view line;
  while (in.ReadLine(line) && line.size() <= longest && !OneCharacterData(line, format))
    offset = in.Tell();
  in.Seek(offset);
}

}  // namespace

SectionScanner::SectionScanner(JobWindow& window, ScanSettings settings)
    : window_(window), settings_(std::move(settings)), btoaVersion_(settings_.btoaVersion) {}

std::optional<Section> SectionScanner::FindNextSection(TextStream& in) {
  ++sectionCount_;
  for (;;) {
    std::optional<Section> section = ParseSectionHeader(in);
    if (!section) break;
    if (section->header == HeaderKind::MimeText) {
      // A text part is taken as it stands, from the line after its header
      // block, in every mode: its header alone tells what it is.
      section->format = section->headerFormat;
      section->btoaVersion = btoaVersion_;
      sectionStart_ = section->dataStart;
      return section;
    }
    // Blank and one-character lines before the data are passed over.
    PassShortLines(in, section->dataStart, 1, section->headerFormat);
    if (section->header == HeaderKind::YEnc) {
      // Its header is unambiguous: yEnc in every mode, manual decoding too.
      section->format = kFormatYEnc;
    } else if (settings_.autoMode == kAutoDecode2) {
      int detected = section->headerFormat;
      if (DetectContentFormat(in, section->dataStart, detected) != 1) {
        if (in.Failed()) break;
        // The section was reported; the search goes on after its header,
        // and the job counts it as failed.
        ++refused_;
        ++sectionCount_;
        sectionStart_ = section->dataStart;
        continue;
      }
      // A btoa or begin-base64 header is trusted over the content.
      section->format = section->headerDecides ? section->headerFormat : detected;
    } else {
      // Manual decoding (and any unknown mode) keeps the user's format.
      section->format =
          settings_.autoMode == kAutoDecode1 ? section->headerFormat : settings_.userFormat;
    }
    section->btoaVersion = btoaVersion_;
    sectionStart_ = section->dataStart;
    return section;
  }

  in.Seek(sectionStart_);
  if (settings_.autoMode != kAutoOff) {
    // After a read error the job reports that instead.
    if (sectionCount_ == 1 && !in.Failed() && settings_.reportNoHeader)
      window_.ShowMessage(kNoHeaderFoundText, kContentErrorCaption, MessageIcon::Stop);
    return std::nullopt;
  }
  if (sectionCount_ != 1) return std::nullopt;
  // Without any header the whole file is one section in the user's format.
  uint64_t firstLine = sectionStart_;
  PassShortLines(in, firstLine, 0);
  Section whole;
  whole.format = settings_.userFormat;
  whole.output = settings_.outputFolder + settings_.baseName;
  whole.dataStart = sectionStart_;
  whole.btoaVersion = btoaVersion_;
  return whole;
}

std::optional<Section> SectionScanner::ParseSectionHeader(TextStream& in) {
  for (;;) {
    HeaderScan scan(in, settings_.tables, btoaVersion_);
    scan.boundaries = &boundaries_;
    if (!FindSectionHeader(scan)) return std::nullopt;
    if (scan.undecodable.empty()) return SectionOf(scan);
    // Reported, and counted as failed by the job; the search goes on.
    const std::string safe = SanitizeHeaderName(scan.name);
    window_.ShowMessage(
        UnknownEncodingText(safe.empty() ? settings_.baseName : safe, scan.undecodable),
        kContentErrorCaption, MessageIcon::Stop);
    ++refused_;
    ++sectionCount_;
  }
}

Section SectionScanner::SectionOf(HeaderScan& scan) {
  const bool tooLong = scan.nameTooLong || scan.name.size() > kLongestHeaderName;
  scan.section.output = HeaderOutput(scan.name, scan.noticeWhenUnnamed, tooLong);
  return std::move(scan.section);
}

std::string SectionScanner::HeaderOutput(const std::string& name, bool notice, bool tooLong) {
  if (tooLong) {
    // A cut name would be one the header never gave: the section is saved
    // under the source's name, as when the header gives none.
    window_.ShowMessage(kNameTooLongText, kMissingNameCaption, MessageIcon::Exclamation);
    return settings_.outputFolder + settings_.baseName;
  }
  const std::string safe = SanitizeHeaderName(name);
  if (!safe.empty()) return settings_.outputFolder + safe;
  if (notice) window_.ShowMessage(kMissingNameText, kMissingNameCaption, MessageIcon::Exclamation);
  return settings_.outputFolder + settings_.baseName;
}

int SectionScanner::DetectContentFormat(TextStream& in, uint64_t& dataStart, int& detectedFormat) {
  PassShortLines(in, dataStart, 0);
  const int format = JudgeContentFormat(in, btoaVersion_);
  in.Seek(dataStart);
  if (format < 0) {
    if (in.Failed()) return 0;
    window_.ShowMessage(kUnknownFormatText, kDetectionErrorCaption, MessageIcon::Stop);
    return 0;
  }
  detectedFormat = format;
  return 1;
}

void SectionScanner::ExtractBinHexName(std::string& text) const {
  text = DecodeBinHexName(text, *settings_.tables.binHexTable);
}

}  // namespace twick
