// The line-ending converter on arbitrary bytes, checked against a plain
// rewrite: LF, CR and CR LF each become CR LF, everything else passes. Inputs
// run across many of the converter's blocks, so CR LF pairs cut by a block
// end are covered.

#include <cstdlib>
#include <string>

#include "convert/Converter.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace twick;
  fuzz::ScratchInput input(data, size);
  fuzz::SilentWindow window;
  fuzz::CapturingOpener opener;
  CConvertJob job(window, opener);
  job.m_strFrom = input.path();
  job.m_strTo = input.path() + ".out";
  job.m_bOverwrite = true;
  if (!job.Convert()) std::abort();

  std::string expected;
  for (size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\r' || c == '\n') {
      expected += "\r\n";
      if (c == '\r' && i + 1 < size && data[i + 1] == '\n') ++i;
    } else {
      expected += c;
    }
  }
  if (opener.bytes != expected) std::abort();
  return 0;
}
