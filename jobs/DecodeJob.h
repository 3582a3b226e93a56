#pragma once
// The decode job: finds every encoded section of a source text file with the
// section scanner and decodes each into an output file, talking to the user
// only through its JobWindow. A file posted in parts is read in part order
// through the split-posting plan.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/CommandNames.h"
#include "core/JobResult.h"
#include "core/Memory.h"
#include "jobs/DecodeContext.h"
#include "jobs/Section.h"
#include "jobs/SectionScanner.h"
#include "jobs/SplitPlan.h"

namespace twick {

class CDecodeJob : public DecodeContext {
 public:
  static constexpr int kWorkBufferSize = 4480;
  static constexpr int kSmallestBufferSize = 180;

  explicit CDecodeJob(JobWindow& window, OutputOpener& opener = DiskOutputOpener(),
                      BufferAllocator& allocator = HeapAllocator())
      : DecodeContext(window, opener), m_allocator(allocator) {}

  // Set by the creator before the run (with `m_nCodeFormat`, the format
  // manual decoding uses, and the context's tables).
  int m_nAutoMode = kAutoDecode1;
  bool m_bUseDefName = true;
  bool m_bOverwrite = false;
  bool m_bPause = true;
  std::string m_strSource;
  /// When set, the name that stands for the source where its path does not
  /// say it (standard input read through a copy with no name).
  std::string m_strSourceName;
  std::string m_strDecodeDir;  // empty, or a folder ending with the separator
  /// The names the command running this job has written or will read; when
  /// null, the job keeps its own (one job per command).
  CommandNames* m_pCommandNames = nullptr;

  /// The other files given with the source in one command: further parts
  /// of a numbered file that the source lacks are looked for in them.
  std::vector<std::string> m_otherSources;
  /// The yEnc parts every job of the command has read, by path and offset;
  /// null when the job runs alone.
  YEncPartsRead* m_pYEncPartsRead = nullptr;
  /// The files among them that the last run read parts from.
  std::vector<std::string> m_partSourcesRead;
  /// Set when an earlier job of the command read parts from this source:
  /// a source without any header then held only those parts, which is no
  /// failure and not reported.
  bool m_bSourceReadAsParts = false;

  /// The outputs written, in order, or the failure line.
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

  /// Finds the next part of a file posted in parts (see DecodeContext).
  bool FindContinuation(TextStream& in) override;
  bool ReadingFurtherPart() const override { return m_plan.ReadingFurtherPart(); }
  MarkerStep PartMarkerInData(TextStream& in, int part) override;

  /// The source's folder (ending with the separator) and its name without
  /// the extension, as the last run found them.
  const std::string& SourceDir() const { return m_strSourceDir; }
  const std::string& BaseName() const { return m_strBaseName; }
  /// `m_strDecodeDir`, or the source's folder when that is empty.
  std::string OutputFolder() const;

 private:
  /// What the scanner needs of this job's settings.
  ScanSettings ScannerSettings() const;
  /// Finds and decodes every section until the stream ends or fails.
  void DecodeSections(TextStream& in, char* buffer);
  /// Settles the section's output name with the user where the options ask
  /// for it; false when the user declined to name the output.
  bool SettleOutputName();
  /// The next numbered form of `path` that this job has not written and
  /// that is not on disk.
  std::string NextNumberedName(const std::string& path);
  /// Hands the section to its decoder through the context's members and
  /// keeps what it reported.
  SectionResult CallDecoder(TextStream& in, char* buffer, uint64_t sectionStart);
  /// Counts a decoded section as done or failed and lists its output.
  void CountDecoded();
  /// After a section: tells the user when it ended before its closing line
  /// or parts of it are missing; true when it did.
  bool ReportLostData();

  CommandNames& Names() { return m_pCommandNames ? *m_pCommandNames : m_ownNames; }

  BufferAllocator& m_allocator;
  CommandNames m_ownNames;
  std::string m_strSourceDir;
  std::string m_strBaseName;
  /// The section being decoded: as the scanner found it, with its output as
  /// settled with the user; whether a file already there may be replaced;
  /// what its decoder reported (data missing or damaged, already told; the
  /// section ended without its closing line).
  struct SectionRun {
    Section section;
    bool replaceOutput = false;
    bool dataLost = false;
    bool cutShort = false;
    bool noData = false;  // every line of the section was passed over
  };
  SectionRun m_current;
  /// The outputs of this run (as in m_result.written), and for each name
  /// that had to be numbered the last number it was given.
  std::unordered_map<std::string, unsigned long long> m_lastNumbers;
  /// The parts of the section's file, when it was posted in parts.
  SplitPlan m_plan;
};

}  // namespace twick
