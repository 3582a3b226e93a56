// The settings reader on arbitrary files.

#include "fuzz/FuzzSupport.h"
#include "settings/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace twick;
  fuzz::ScratchInput input(data, size);
  Settings settings;
  LoadSettings(input.path(), settings);
  WindowRect rect;
  ReadWindowPosition(input.path(), rect);
  return 0;
}
