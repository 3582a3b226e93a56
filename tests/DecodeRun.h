#pragma once
// Runs a whole decode job on a text written to a scratch file, as the mail
// tests do, and keeps what they look at.

#include <string>
#include <vector>

#include "core/JobResult.h"
#include "jobs/DecodeJob.h"
#include "tests/FakeWindow.h"
#include "tests/TestFiles.h"

namespace twick::test {

struct Decoded {
  std::vector<std::string> written;
  std::vector<std::string> captions;
  JobResult result;
  std::string status;
  std::vector<std::string> messages;  // their texts
};

/// Decodes `text` as mail.txt in `dir`, without pauses, replacing outputs.
inline Decoded DecodeText(ScratchDir& dir, const std::string& text, int mode = kAutoDecode1) {
  WriteFile(dir.file("mail.txt"), text);
  FakeWindow window;
  CDecodeJob job(window);
  job.m_strSource = dir.file("mail.txt");
  job.m_bPause = false;
  job.m_bOverwrite = true;
  job.m_nAutoMode = mode;
  job.RunDecodeJob();
  Decoded d{job.m_result.written, {}, job.m_result, window.status, {}};
  for (const auto& m : window.messages) {
    d.captions.push_back(m.caption);
    d.messages.push_back(m.text);
  }
  return d;
}

}  // namespace twick::test
