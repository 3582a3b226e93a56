#pragma once
// The section scanner: finds the encoded sections of a source one at a time,
// takes each output name from its header, settles the format to decode it
// with and leaves the stream at the section's first data line. Which format
// is used depends on the auto-decoding mode: the first trusts the header, the
// second also judges the content, and manual decoding keeps the user's format
// and, when the source has no header at all, takes the whole file as one
// section. The header kinds are the recognisers' table (HeaderRecognisers.h).

#include <cstdint>
#include <optional>
#include <string>

#include "core/JobWindow.h"
#include "core/TextStream.h"
#include "jobs/HeaderRecognisers.h"
#include "jobs/Section.h"

namespace twick {

/// What the scanner needs from the job that runs it.
struct ScanSettings {
  int autoMode = kAutoDecode1;
  /// The format manual decoding uses.
  int userFormat = kFormatBase64;
  /// The btoa variant until a header or the content tells otherwise.
  int btoaVersion = 4;
  /// The folder outputs go to, ending with the separator (or empty).
  std::string outputFolder;
  /// The output name of a section whose header names no file.
  std::string baseName;
  HeaderTables tables;
  /// Whether the user is told when the source holds no header at all.
  bool reportNoHeader = true;
};

class SectionScanner {
 public:
  /// Messages and notices go to `window`.
  SectionScanner(JobWindow& window, ScanSettings settings);

  /// Finds the next section from the stream's read position and leaves the
  /// stream at its first data line. Without one: nothing, the stream put back
  /// where the last section's data began (or where it was read to), and the
  /// user told when the very first search finds no header.
  std::optional<Section> FindNextSection(TextStream& in);
  /// The last section found was read up to `offset`.
  void SectionReadTo(uint64_t offset) { sectionStart_ = offset; }

  /// Where the last section found began (see Section::dataStart), or where it
  /// was read to.
  uint64_t SectionStart() const { return sectionStart_; }
  /// Searches made so far, one for each call and one for each section whose
  /// format the content did not tell.
  int SectionCount() const { return sectionCount_; }
  /// Sections passed over because their content fits no format (each one
  /// reported to the user); the job counts them as failed.
  int Refused() const { return refused_; }

  /// Judges the format of the content from `dataStart` on (moved past empty
  /// lines) and leaves the stream there: 1 with `detectedFormat`, or 0 after
  /// telling the user that no format fits.
  int DetectContentFormat(TextStream& in, uint64_t& dataStart, int& detectedFormat);
  /// Replaces `text`, the body of a first BinHex data line, by the file name
  /// stored in it (possibly empty).
  void ExtractBinHexName(std::string& text) const;

  /// The MIME boundaries met so far: a text part's body ends at one.
  const MimeBoundaries& Boundaries() const { return boundaries_; }

 private:
  /// Reads on to the next header: the section it opens (its data start
  /// before blank lines are passed over), or nothing at the end of the stream.
  std::optional<Section> ParseSectionHeader(TextStream& in);
  /// The section a header found, with its output settled.
  Section SectionOf(HeaderScan& scan);
  /// The output path for a name taken from a header; an empty (or unsafe and
  /// emptied) name gives the source's base name, with the notice when
  /// `notice` is set. A name too long to be used gives the base name too,
  /// and the user is always told.
  std::string HeaderOutput(const std::string& name, bool notice, bool tooLong);

  JobWindow& window_;
  ScanSettings settings_;
  /// The btoa variant as last told (it carries over from one section to the
  /// next, like the decoders' context it is handed to).
  int btoaVersion_;
  uint64_t sectionStart_ = 0;
  int sectionCount_ = 0;
  int refused_ = 0;
  MimeBoundaries boundaries_;
};

}  // namespace twick
