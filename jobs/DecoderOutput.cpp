#include "jobs/DecoderOutput.h"

#include "core/Messages.h"

namespace twick {

DecoderOutput::~DecoderOutput() {
  if (sink_) sink_->Close();
}

void DecoderOutput::ReportFailure() {
  if (failed_) return;
  failed_ = true;
  dlg_.m_window.ShowMessage(OutputFailedText(dlg_.m_strOutput, kDecodingAbortedText),
                            kFileErrorCaption, MessageIcon::Stop);
}

bool DecoderOutput::Create() {
  OutputOptions options;
  options.source = dlg_.m_sourceIdentity;
  options.followLinks = false;
  options.replace = dlg_.m_bReplaceOutput;
  options.renameOnConflict = dlg_.m_bRenameOnConflict;
  sink_ = dlg_.m_opener.Create(dlg_.m_strOutput, options);
  if (!sink_) {
    ReportFailure();
    return false;
  }
  return true;
}

void DecoderOutput::Write(const char* data, size_t size) {
  if (failed_ || !sink_ || size == 0) return;
  if (!sink_->Write(data, size)) {
    ReportFailure();
    return;
  }
  written_ += size;
}

void DecoderOutput::CutTo(uint64_t length) {
  if (failed_ || !sink_ || length >= written_) return;
  if (!sink_->SetLength(length)) {
    ReportFailure();
    return;
  }
  written_ = length;
}

bool DecoderOutput::Finish() {
  if (sink_) {
    if (!sink_->Close()) ReportFailure();
    // Saved under a numbered name: the job lists the name actually written.
    if (const std::string saved = sink_->SavedPath(); !saved.empty()) dlg_.m_strOutput = saved;
    sink_.reset();
  }
  return !failed_;
}

bool DecoderOutput::EndSection() {
  const bool written = Finish();
  dlg_.m_window.SetProgressPos(kProgressEnd);
  dlg_.m_window.EndWaitCursor();
  return written;
}

SectionResult DecoderOutput::Discard() {
  if (sink_) {
    sink_->Discard();
    sink_.reset();
  }
  dlg_.m_window.EndWaitCursor();
  SectionResult result;
  result.stopped = true;
  return result;
}

}  // namespace twick
