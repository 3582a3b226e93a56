#include "jobs/EncodeJob.h"

#include "core/FileIdentity.h"
#include "core/Messages.h"
#include "core/PathRules.h"
#include "jobs/EncodeSteps.h"

namespace twick {

const char* EncodedExtension(int format) {
  switch (format) {
    case kFormatBase64: return "mme";
    case kFormatUU: return "uue";
    case kFormatXX: return "xxe";
    case kFormatBtoa: return "b2a";
    default: return "";
  }
}

void CEncodeJob::MakeOutputName() {
  m_strOutput.clear();
  if (m_strTitle.empty()) return;
  std::string name = m_strTitle;
  std::string extension = EncodedExtension(m_nCodeFormat);
  // The dot that starts a hidden file's name is not an extension: ".a"
  // becomes ".a.mme", so two such files never share an output name.
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) {
    name.resize(dot + 1);
  } else if (!extension.empty()) {
    name += '.';
  }
  name += extension;
  m_strOutput = FitNameLength((m_strEncodeDir.empty() ? m_strSourceDir : m_strEncodeDir) + name);
}

bool CEncodeJob::SettleOutputName() {
  bool ask = !m_bUseDefName;
  bool replaceChosen = false;
  for (;;) {
    if (ask) {
      std::string path = m_strOutput;
      NameChoice choice = m_window.AskOutputName(path);
      if (choice == NameChoice::Cancel) {
        m_strOutput.clear();
        return false;
      }
      m_strOutput = path;
      replaceChosen = choice == NameChoice::OkOverwrite;
    }
    // Anything already at the path counts, even a file we could not read.
    m_bReplaceOutput = m_bOverwrite || replaceChosen;
    if (m_bReplaceOutput || !PathExists(m_strOutput)) {
      AvoidCommandNames();
      return true;
    }
    m_window.ShowMessage(kEncodeFileExistsText, "", MessageIcon::None);
    ask = true;
  }
}

void CEncodeJob::AvoidCommandNames() {
  // An output or a later input of this command is never replaced, whatever
  // the overwrite setting: the output goes to the first free numbered name.
  CommandNames& names = Names();
  if (!names.Taken(m_strOutput)) return;
  const std::string wanted = m_strOutput;
  m_strOutput = FreeNumberedName(
      m_strOutput, [&](const std::string& path) { return names.Taken(path) || PathExists(path); });
  m_result.renamedInCommand.push_back({wanted, m_strOutput});
}

bool CEncodeJob::EncodeInto(InputFile& in) {
  OutputOptions options;
  options.source = in.Identity();
  options.replace = m_bReplaceOutput;
  options.renameOnConflict = m_bRenameOnConflict;
  std::unique_ptr<OutputSink> out = m_opener.Create(m_strOutput, options);
  if (!out) {
    ReportOutputFailure(*this);
    return false;
  }
  const EncodeEnd end = EncodeSource(*this, in, *out);
  if (end == EncodeEnd::Cancelled) {
    // A stopped job leaves nothing under the output's name.
    out->Discard();
    m_result.stopped = true;
    return false;
  }
  bool closed = out->Close();
  if (const std::string saved = out->SavedPath(); !saved.empty()) m_strOutput = saved;
  // A failed encoding has told the user already; a failed close has not.
  if (end == EncodeEnd::Written && !closed) ReportOutputFailure(*this);
  return end == EncodeEnd::Written && closed;
}

void CEncodeJob::RunEncodeJob() {
  m_arrOutput.clear();
  m_result = JobResult();
  m_ownNames = CommandNames();
  m_window.SetProgressRange(0, kProgressEnd);
  m_window.SetProgressStep(1);
  m_window.SetProgressPos(0);
  bool success = false;

  if (m_nCodeFormat >= kFormatBinHex) {
    m_window.ShowMessage(kNoBinHexEncodingText, kNoticeCaption, MessageIcon::Information);
  } else if (m_nCodeFormat >= kFormatBase64) {
    // (A negative format has no encoder: the job ends without touching a file.)
    InputFile in(*m_pReader);
    if (in.Open(m_strSource)) {
      m_result.sourceOpened = true;
      m_result.found = 1;
      m_window.BeginWaitCursor();
      // The open file's full path: a relative path is made absolute.
      const std::string full = FullPath(in.Path());
      m_strSourceDir = DirectoryOf(full);
      m_strTitle = m_strSourceName.empty() ? FileNameOf(full) : m_strSourceName;
      MakeOutputName();
      // Questions are answered with an ordinary cursor.
      m_window.EndWaitCursor();
      bool named = SettleOutputName();
      m_window.BeginWaitCursor();
      if (named) {
        success = EncodeInto(in);
        m_arrOutput.push_back(success ? m_strOutput : kEncodeFailedEntry);
        if (success) {
          m_result.written.push_back(m_strOutput);
          Names().AddWritten(m_strOutput);
        }
        ++(success ? m_result.done : m_result.failed);
      } else {
        ++m_result.skipped;
      }
      in.Close();
      m_window.EndWaitCursor();
    }
  }

  m_result.succeeded = m_result.sourceReadToEnd = success;
  m_window.EnableDone(true);
  m_window.SetStatusText(success ? kEncodeDoneStatus : kEncodeAbortedStatus);
  if (!m_bPause) m_window.EndDialog(kDialogOk);
}

}  // namespace twick
