#pragma once
// The decode job: finds every encoded section of a source text file and
// decodes each into an output file, talking to the user only through its
// JobWindow. The section scanner is part of the job (SectionScanner.cpp).

#include <cstdint>
#include <string>
#include <vector>

#include "core/JobResult.h"
#include "core/Memory.h"
#include "jobs/DecodeContext.h"
#include "jobs/PartLocator.h"

namespace twick {

class CDecodeJob : public DecodeContext {
 public:
  static constexpr int kWorkBufferSize = 4480;
  static constexpr int kSmallestBufferSize = 180;

  explicit CDecodeJob(JobWindow& window, OutputOpener& opener = DiskOutputOpener(),
                      BufferAllocator& allocator = HeapAllocator())
      : DecodeContext(window, opener), m_allocator(allocator) {}

  // Set by the creator before the run.
  int m_nAutoMode = kAutoDecode1;
  bool m_bUseDefName = true;
  bool m_bOverwrite = false;
  bool m_bPause = true;
  std::string m_strSource;
  std::string m_strDecodeDir;  // empty, or a folder ending with the separator

  // Set by the job.
  std::string m_strSourceDir;
  std::string m_strBaseName;
  std::vector<std::string> m_arrOutput;

  /// What the last run did.
  JobResult m_result;

  /// One section the last run found, in file order.
  struct SectionRecord {
    int format;
    std::string output;  // empty when the user declined to name it
    uint64_t dataStart;  // offset of its first data line
    bool complete;       // written whole, nothing reported missing or damaged
  };
  std::vector<SectionRecord> m_sections;

  /// Runs the whole job (the window is already shown).
  void RunDecodeJob();

  // The section scanner.
  int FindNextSection(TextStream& in, uint64_t& sectionStart, int& sectionCount);
  int ParseSectionHeader(TextStream& in, uint64_t& dataStart, int& headerFormat);
  int DetectContentFormat(TextStream& in, uint64_t& dataStart, int& detectedFormat);
  /// Replaces `text`, the body of a first BinHex data line, by the file name
  /// stored in it (possibly empty).
  void ExtractBinHexName(std::string& text) const;

  /// Finds the next part of a file posted in parts (see DecodeContext).
  bool FindContinuation(TextStream& in) override;

  /// `m_strDecodeDir`, or the source's folder when that is empty.
  std::string OutputFolder() const;

 private:
  /// Sets `m_strOutput` for a name taken from a header; an empty (or unsafe
  /// and emptied) name gives the source's base name, with the notice when
  /// `notice` is set.
  void SetHeaderOutput(const std::string& name, bool notice);
  SectionResult CallDecoder(TextStream& in, char* buffer, uint64_t sectionStart);
  /// Settles `m_strOutput` with the user where the options ask for it;
  /// false when the user declined to name the output.
  bool SettleOutputName();
  /// Finds and decodes every section until the stream ends or fails.
  void DecodeSections(TextStream& in, char* buffer);

  /// After a section: tells the user when it ended before its closing line
  /// or parts of it are missing; true when it did.
  bool ReportLostData();
  /// Clears what the last decoder call reported; the search for the section
  /// began at `searchStart`, its data at `dataStart`.
  void PrepareSection(uint64_t searchStart, uint64_t dataStart);
  /// At a section's first gap: finds the parts of its file and the order to
  /// read them in.
  void LocateParts(TextStream& in);
  /// After a section read in parts out of order: moves the stream past the
  /// last part in the source, so no part is taken for a section of its own.
  void SkipPastParts(TextStream& in) const;

  BufferAllocator& m_allocator;
  /// The parts of the section being decoded, in the order met (the first is
  /// 1), and the number of parts its markers announce (0: none seen).
  std::vector<int> m_partsSeen;
  int m_nPartTotal = 0;
  /// Where the search for the section began and where its data begins.
  uint64_t m_searchStart = 0;
  uint64_t m_dataStart = 0;
  /// The further parts, in part order, once located; the next one to read;
  /// the offset after the last part in the source.
  bool m_bPartsLocated = false;
  std::vector<PartRange> m_partPlan;
  size_t m_nextPart = 0;
  uint64_t m_resumeAt = 0;
  /// The section ended before its closing line.
  bool m_bCutShort = false;
  /// The section came under a "begin" line, so it should close with its
  /// end line (and may go on in further parts).
  bool m_bBeginHeader = false;
  /// The last header names its format for certain (btoa, begin-base64), so
  /// the second auto-decoding mode does not judge the content.
  bool m_bHeaderDecides = false;
};

}  // namespace twick
