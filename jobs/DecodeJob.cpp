#include "jobs/DecodeJob.h"

#include <algorithm>
#include <memory>

#include "core/Messages.h"
#include "core/PathRules.h"
#include "jobs/CrLineReader.h"

namespace twick {

SectionResult CDecodeJob::CallDecoder(TextStream& in, char* buffer, uint64_t sectionStart) {
  switch (m_nCodeFormat) {
    case kFormatBase64: return DecodeBase64(*this, in, buffer, sectionStart);
    case kFormatUU: return DecodeUUXX(*this, in, buffer, *m_pUUTable, sectionStart);
    case kFormatXX: return DecodeUUXX(*this, in, buffer, *m_pXXTable, sectionStart);
    case kFormatBtoa: return DecodeBtoa(*this, in, buffer, sectionStart);
    case kFormatBinHex: return DecodeBinHex(*this, in, buffer, sectionStart);
    default: return {};
  }
}

bool CDecodeJob::SettleOutputName() {
  // Questions are answered with an ordinary cursor.
  m_window.EndWaitCursor();
  bool skip = false;
  bool overwrite = m_bOverwrite;
  if (!m_bUseDefName) {
    NameChoice choice = m_window.AskOutputName(m_strOutput);
    if (choice == NameChoice::Cancel) {
      skip = true;
    } else {
      overwrite = choice == NameChoice::OkOverwrite;
    }
  }
  // Ask until the name is free, replacing is allowed, or the user gives up.
  while (!skip && !overwrite && PathExists(m_strOutput)) {
    m_window.ShowMessage(kDecodeFileExistsText, "", MessageIcon::None);
    NameChoice choice = m_window.AskOutputName(m_strOutput);
    if (choice == NameChoice::Cancel) skip = true;
    overwrite = choice == NameChoice::OkOverwrite;
  }
  // A name this job has already written is never replaced, whatever the
  // overwrite setting: the section goes to the first free numbered name.
  auto writtenByThisJob = [this](const std::string& path) {
    return std::find(m_result.written.begin(), m_result.written.end(), path) !=
           m_result.written.end();
  };
  if (!skip && writtenByThisJob(m_strOutput)) {
    m_strOutput = FreeNumberedName(m_strOutput, [&](const std::string& path) {
      return writtenByThisJob(path) || PathExists(path);
    });
  }
  m_bReplaceOutput = overwrite;
  m_window.BeginWaitCursor();
  return !skip;
}

void CDecodeJob::DecodeSections(TextStream& in, char* buffer) {
  uint64_t sectionStart = 0;
  int sectionCount = 0;
  for (;;) {
    // Parts of a split file may lie between the last section and this one.
    const uint64_t searchStart = in.Tell();
    if (FindNextSection(in, sectionStart, sectionCount) != 1) break;
    ++m_result.found;
    const int failedBefore = m_result.failed;
    m_sections.push_back({m_nCodeFormat, {}, sectionStart, false});
    bool decoded = false;
    const bool named = SettleOutputName();
    if (!named) {
      m_strOutput.clear();
      ++m_result.skipped;
    } else {
      PrepareSection(searchStart, sectionStart);
      const SectionResult result = CallDecoder(in, buffer, sectionStart);
      decoded = result.written && !in.Failed();
      m_bCutShort = result.status == CodecStatus::CutShort;
      m_bDataLost = result.status == CodecStatus::ChecksWrong;
      SkipPastParts(in);
    }
    if (decoded) {
      sectionStart = in.Tell();
      // A damaged or incomplete output is kept and listed, but the loss is
      // reported and the section counts as failed.
      if (ReportLostData()) m_bDataLost = true;
      if (m_bDataLost)
        ++m_result.failed;
      else
        ++m_result.done;
      if (!m_strOutput.empty()) {
        m_arrOutput.push_back(m_strOutput);
        m_result.written.push_back(m_strOutput);
      }
    } else if (named) {
      ++m_result.failed;
    }
    SectionRecord& record = m_sections.back();
    record.output = m_strOutput;
    record.complete = !m_strOutput.empty() && m_result.failed == failedBefore;
    // A read error looks like the end of the file to the scanner and the
    // decoders: stop here rather than pass a cut section off as whole.
    if (in.Failed()) break;
  }
}

void CDecodeJob::RunDecodeJob() {
  m_arrOutput.clear();
  m_sections.clear();
  m_result = JobResult();
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
    m_strBaseName = BaseNameOf(m_strSource);
    DecodeSections(in, buffer.get());
    m_result.sourceReadToEnd = !in.Failed();
    in.Close();
    m_window.EndWaitCursor();
    if (!m_result.sourceReadToEnd)
      m_window.ShowMessage(kUnreadableSourceText, kFileErrorCaption, MessageIcon::Stop);
  }

  buffer.reset();
  m_window.EnableDone(true);
  m_result.succeeded = m_result.done > 0 && m_result.sourceReadToEnd;
  if (!m_result.succeeded) {
    m_arrOutput.push_back(kDecodeFailedEntry);
    m_window.SetStatusText(kDecodeAbortedStatus);
  } else {
    m_window.SetStatusText(kDecodeDoneStatus);
  }
  if (!m_bPause) m_window.EndDialog(kDialogOk);
}

}  // namespace twick
