// Whole decode jobs on arbitrary input: the scanner in every mode and every
// decoder. The first byte picks the mode, the manual format and the btoa
// variant.

#include "fuzz/FuzzSupport.h"
#include "jobs/DecodeJob.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace twick;
  if (size == 0) return 0;
  fuzz::ScratchInput input(data + 1, size - 1);
  fuzz::SilentWindow window;
  fuzz::DiscardingOpener opener;
  CDecodeJob job(window, opener);
  job.m_strSource = input.path();
  job.m_nAutoMode = data[0] % 3;
  job.m_nCodeFormat = (data[0] / 3) % 5;
  job.m_nBtoaVersion = (data[0] / 15) % 2 == 0 ? 4 : 5;
  job.m_bPause = false;
  job.RunDecodeJob();
  return 0;
}
