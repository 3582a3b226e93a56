#include "core/DecoderOutput.h"

namespace twick {

uint64_t DecoderStepInterval(const TextStream& in, uint64_t sectionStart, uint64_t divisor) {
  uint64_t length = in.Length();
  uint64_t span = length > sectionStart ? length - sectionStart : 0;
  uint64_t interval = span / divisor;
  return interval == 0 ? 1 : interval;
}

DecoderOutput::~DecoderOutput() {
  if (sink_) sink_->Close();
}

void DecoderOutput::ReportFailure() {
  if (failed_) return;
  failed_ = true;
  dlg_.m_window.ShowMessage(
      "Error creating/writing to output file:\n" + dlg_.m_strOutput + "\nDecoding aborted!",
      "File Error:", MessageIcon::Stop);
}

bool DecoderOutput::Create() {
  OutputOptions options;
  options.source = dlg_.m_sourceIdentity;
  options.followLinks = false;
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
    sink_.reset();
  }
  return !failed_;
}

int DecoderOutput::EndSection() {
  const bool written = Finish();
  dlg_.m_window.SetProgressPos(kProgressEnd);
  dlg_.m_window.EndWaitCursor();
  return written ? 1 : 0;
}

}  // namespace twick
