#include "jobs/DecodeJob.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/Messages.h"
#include "core/PathRules.h"
#include "jobs/CrLineReader.h"

namespace twick {

std::string CDecodeJob::OutputFolder() const {
  return m_strDecodeDir.empty() ? m_strSourceDir : m_strDecodeDir;
}

ScanSettings CDecodeJob::ScannerSettings() const {
  ScanSettings settings;
  settings.autoMode = m_nAutoMode;
  settings.userFormat = m_nCodeFormat;
  settings.btoaVersion = m_nBtoaVersion;
  settings.outputFolder = OutputFolder();
  settings.baseName = m_strBaseName;
  settings.tables = {m_pUUAlphabet, m_pXXAlphabet, m_pBinHexTable};
  settings.reportNoHeader = !m_bSourceReadAsParts;
  return settings;
}

SectionResult CDecodeJob::CallDecoder(TextStream& in, char* buffer, uint64_t sectionStart) {
  // The decoders read the section from the context (the buffer's size,
  // m_nBufSize, was set with the buffer).
  const Section& section = m_current.section;
  m_nCodeFormat = section.format;
  m_strOutput = section.output;
  m_bEqualsLineEnds = section.equalsLineEnds;
  m_nBtoaVersion = section.btoaVersion;
  m_bReplaceOutput = m_current.replaceOutput;
  SectionResult result;
  switch (section.format) {
    case kFormatBase64: result = DecodeBase64(*this, in, buffer, sectionStart); break;
    case kFormatUU: result = DecodeUUXX(*this, in, buffer, *m_pUUTable, sectionStart); break;
    case kFormatXX: result = DecodeUUXX(*this, in, buffer, *m_pXXTable, sectionStart); break;
    case kFormatBtoa: result = DecodeBtoa(*this, in, buffer, sectionStart); break;
    case kFormatBinHex: result = DecodeBinHex(*this, in, buffer, sectionStart); break;
    case kFormatYEnc: result = DecodeYEnc(*this, in, buffer, sectionStart); break;
    case kFormatQuotedPrintable:
    case kFormatPlainText: result = DecodeMimeText(*this, in, sectionStart); break;
    default: break;
  }
  m_current.section.output = m_strOutput;  // the name it was saved under
  m_current.cutShort = result.status == CodecStatus::CutShort;
  m_current.noData = result.status == CodecStatus::NotData;
  m_current.dataLost = result.status == CodecStatus::ChecksWrong;
  return result;
}

bool CDecodeJob::FindContinuation(TextStream& in) { return m_plan.FindContinuation(in); }

DecodeContext::MarkerStep CDecodeJob::PartMarkerInData(TextStream& in, int part) {
  // Parts posted one after another without blank lines, in order.
  if (!m_plan.ReadingFurtherPart() && m_plan.TakeNextPartInLine(part)) return MarkerStep::ReadOn;
  const uint64_t marker = in.Tell();
  if (m_plan.FindContinuation(in)) return MarkerStep::Moved;
  in.Seek(marker);
  return m_plan.ReadingFurtherPart() ? MarkerStep::Ends : MarkerStep::ReadOn;
}

bool CDecodeJob::SettleOutputName() {
  std::string& output = m_current.section.output;
  output = FitNameLength(output);
  // A part without a name of its own takes the next free numbered name once
  // an earlier part took the source's name.
  if (m_current.section.unnamedPart && Names().Taken(output)) output = NextNumberedName(output);
  // Questions are answered with an ordinary cursor.
  m_window.EndWaitCursor();
  bool skip = false;
  bool overwrite = m_bOverwrite;
  if (!m_bUseDefName) {
    NameChoice choice = m_window.AskOutputName(output);
    if (choice == NameChoice::Cancel) {
      skip = true;
    } else {
      overwrite = choice == NameChoice::OkOverwrite;
    }
  }
  // Ask until the name is free, replacing is allowed, or the user gives up.
  while (!skip && !overwrite && PathExists(output)) {
    m_window.ShowMessage(kDecodeFileExistsText, "", MessageIcon::None);
    NameChoice choice = m_window.AskOutputName(output);
    if (choice == NameChoice::Cancel) skip = true;
    overwrite = choice == NameChoice::OkOverwrite;
  }
  // A name this command has written or will read is never replaced,
  // whatever the overwrite setting: the section goes to the first free
  // numbered name.
  if (!skip && Names().Taken(output)) {
    const std::string wanted = output;
    output = NextNumberedName(output);
    m_result.renamedInCommand.push_back({wanted, output});
  }
  m_current.replaceOutput = overwrite;
  m_window.BeginWaitCursor();
  return !skip;
}

std::string CDecodeJob::NextNumberedName(const std::string& path) {
  // The numbers below the last one given for this name were taken then and
  // are passed over, so many sections of one name cost one probe each.
  unsigned long long& last = m_lastNumbers[path];
  for (;;) {
    std::string candidate = NumberedName(path, ++last);
    if (!Names().Taken(candidate) && !PathExists(candidate)) return candidate;
  }
}

void CDecodeJob::DecodeSections(TextStream& in, char* buffer) {
  SectionScanner scanner(m_window, ScannerSettings());
  m_plan.SetOtherSources(&m_otherSources);
  m_plan.SetYEncPartsRead(m_pYEncPartsRead);
  m_pMimeBoundaries = &scanner.Boundaries();
  for (;;) {
    if (m_window.CancelRequested()) {
      m_result.stopped = true;
      break;
    }
    // Parts of a split file may lie between the last section and this one.
    const uint64_t searchStart = in.Tell();
    std::optional<Section> found = scanner.FindNextSection(in);
    if (!found) break;
    if (found->header == HeaderKind::YEnc &&
        (m_plan.YEncPartRead(found->dataStart) ||
         (m_pYEncPartsRead && m_pYEncPartsRead->count({in.Path(), found->dataStart}) != 0))) {
      // A part already read with the file it belongs to: its lines are
      // passed over from its "=ybegin" line on.
      std::string_view header;
      in.Seek(found->dataStart);
      in.ReadLine(header);
      continue;
    }
    m_current = SectionRun{std::move(*found)};
    const Section& section = m_current.section;
    ++m_result.found;
    const int failedBefore = m_result.failed;
    m_sections.push_back({section.format, {}, section.dataStart, false});
    bool decoded = false;
    const bool named = SettleOutputName();
    if (!named) {
      m_current.section.output.clear();
      ++m_result.skipped;
    } else {
      m_plan.Begin(section, searchStart);
      const SectionResult result = CallDecoder(in, buffer, section.dataStart);
      if (result.stopped) {
        // Nothing of the unfinished section is kept; the job ends here.
        m_current.section.output.clear();
        m_sections.back().output.clear();
        ++m_result.failed;
        m_result.stopped = true;
        break;
      }
      m_plan.SkipPastParts(in);
      decoded = result.written && !in.Failed();
      for (std::string& read : m_plan.TakeSourcesRead()) {
        if (std::find(m_partSourcesRead.begin(), m_partSourcesRead.end(), read) ==
            m_partSourcesRead.end())
          m_partSourcesRead.push_back(std::move(read));
      }
    }
    if (decoded) {
      scanner.SectionReadTo(in.Tell());
      CountDecoded();
    } else if (named) {
      ++m_result.failed;
    }
    SectionRecord& record = m_sections.back();
    record.output = section.output;
    record.complete = !section.output.empty() && m_result.failed == failedBefore;
    // A read error looks like the end of the file to the scanner and the
    // decoders: stop here rather than pass a cut section off as whole.
    if (in.Failed()) break;
  }
  // Sections whose content fits no format were reported by the scanner.
  m_result.failed += scanner.Refused();
  m_pMimeBoundaries = nullptr;
}

void CDecodeJob::CountDecoded() {
  // A damaged or incomplete output is kept and listed, but the loss is
  // reported and the section counts as failed.
  if (ReportLostData()) m_current.dataLost = true;
  if (m_current.dataLost)
    ++m_result.failed;
  else
    ++m_result.done;
  const std::string& output = m_current.section.output;
  if (!output.empty()) {
    m_arrOutput.push_back(output);
    m_result.written.push_back(output);
    Names().AddWritten(output);
  }
}

namespace {

/// Items at most in the list of missing parts.
constexpr size_t kMissingItemsListed = 20;

/// "2, 3, 7-12, 15, ...": runs of three parts or more as ranges, shorter
/// ones part by part; at most kMissingItemsListed items, "..." for the rest.
std::string MissingPartsList(const MissingParts& missing) {
  std::string list;
  size_t items = 0;
  int listed = 0;  // parts named so far
  auto add = [&](const std::string& item) {
    list += (list.empty() ? "" : ", ") + item;
    ++items;
  };
  for (const MissingParts::Run& run : missing.runs) {
    if (run.last - run.first >= 2 && items < kMissingItemsListed) {
      add(std::to_string(run.first) + "-" + std::to_string(run.last));
      listed += run.last - run.first + 1;
      continue;
    }
    for (int part = run.first; part <= run.last && items < kMissingItemsListed; ++part) {
      add(std::to_string(part));
      ++listed;
    }
  }
  if (listed < missing.count) list += ", ...";
  return list;
}

}  // namespace

bool CDecodeJob::ReportLostData() {
  std::string detail;
  const MissingParts missing = m_plan.Missing(kMissingItemsListed);
  if (missing.count > 0) {
    detail = "Missing part" + std::string(missing.count > 1 ? "s " : " ") +
             MissingPartsList(missing) + " of " + std::to_string(missing.total) + ".";
  } else if (m_current.noData) {
    detail = "No line of the section is encoded data.";
  } else if (m_current.cutShort && m_current.section.header != HeaderKind::None) {
    detail = "The closing line of the section is missing.";
  }
  // Two different copies of one part: the first was read, and either may be
  // the right one.
  for (size_t k = 0; k < missing.conflicting.size() && k < kMissingItemsListed; ++k) {
    if (!detail.empty()) detail += "\n";
    detail +=
        "Part " + std::to_string(missing.conflicting[k]) + " was found twice with different data.";
  }
  if (detail.empty()) return false;
  m_window.ShowMessage(IncompleteOutputText(m_current.section.output, detail), kContentErrorCaption,
                       MessageIcon::Stop);
  return true;
}

void CDecodeJob::RunDecodeJob() {
  m_arrOutput.clear();
  m_partSourcesRead.clear();
  m_sections.clear();
  m_result = JobResult();
  m_ownNames = CommandNames();
  m_lastNumbers.clear();
  m_plan = SplitPlan();
  m_window.SetProgressRange(0, kProgressEnd);
  m_window.SetProgressStep(1);
  m_window.SetProgressPos(0);

  // One work buffer for the whole job; halve it while memory is short.
  std::unique_ptr<char[]> buffer;
  m_nBufSize = kWorkBufferSize;
  while (!(buffer = m_allocator.Allocate(static_cast<size_t>(m_nBufSize)))) {
    m_nBufSize /= 2;
    if (m_nBufSize < kSmallestBufferSize) {
      m_window.ShowMessage(kNoDecodeMemoryText, "", MessageIcon::None);
      // Let the window be closed; the job itself ends here.
      m_window.EnableDone(true);
      return;
    }
  }

  CrLineReader reader(*m_pReader);
  TextStream in(TextStream::kDefaultBufferSize, reader);
  if (in.Open(m_strSource)) {
    m_result.sourceOpened = true;
    m_sourceIdentity = in.Identity();
    m_window.BeginWaitCursor();
    m_strSourceDir = DirectoryOf(m_strSource);
    m_strBaseName = BaseNameOf(m_strSourceName.empty() ? m_strSource : m_strSourceName);
    DecodeSections(in, buffer.get());
    // A stopped job has not read its source to the end, but nothing failed.
    m_result.sourceReadToEnd = !in.Failed() && !m_result.stopped;
    in.Close();
    m_window.EndWaitCursor();
    if (in.Failed())
      m_window.ShowMessage(kUnreadableSourceText, kFileErrorCaption, MessageIcon::Stop);
  }

  buffer.reset();
  m_window.EnableDone(true);
  const bool onlyParts = m_bSourceReadAsParts && m_result.found == 0;
  m_result.succeeded = (m_result.done > 0 || onlyParts) && m_result.sourceReadToEnd;
  if (!m_result.succeeded) {
    m_arrOutput.push_back(kDecodeFailedEntry);
    m_window.SetStatusText(kDecodeAbortedStatus);
  } else {
    m_window.SetStatusText(kDecodeDoneStatus);
  }
  if (!m_bPause) m_window.EndDialog(kDialogOk);
}

}  // namespace twick
