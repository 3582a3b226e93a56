// Encode, then decode, arbitrary bytes in every format the program writes:
// the bytes and the file's name must come back, in header mode and in the
// manual mode of that format. The first byte picks the format.

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "codecs/Alphabets.h"
#include "fuzz/FuzzSupport.h"
#include "jobs/DecodeJob.h"
#include "jobs/EncodeJob.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace twick;
  if (size == 0) return 0;
  const int format = data[0] % 4;  // Base64, UU, XX or btoa
  const std::string original(reinterpret_cast<const char*>(data) + 1, size - 1);
  // A folder of its own for each run, removed with what it holds.
  fuzz::ScratchFolder folder;
  const std::string source = folder.path() + "data.bin";
  {
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out << original;
  }
  fuzz::SilentWindow window;
  CEncodeJob encode(window);
  encode.m_strSource = source;
  encode.m_strEncodeDir = folder.path();
  encode.m_nCodeFormat = format;
  encode.m_bOverwrite = true;
  encode.m_bPause = false;
  encode.RunEncodeJob();
  if (!encode.m_result.succeeded) std::abort();
  const std::string encoded = encode.m_strOutput;
  ::unlink(source.c_str());

  for (int mode : {kAutoDecode1, kAutoOff}) {
    CDecodeJob decode(window);
    decode.m_strSource = encoded;
    decode.m_strDecodeDir = folder.path();
    decode.m_nAutoMode = mode;
    decode.m_nCodeFormat = format;
    decode.m_bOverwrite = true;
    decode.m_bPause = false;
    decode.RunDecodeJob();
    if (decode.m_result.written.empty() || decode.m_result.written.front() != source) std::abort();
    if (ReadAll(source) != original) std::abort();
    ::unlink(source.c_str());
  }
  ::unlink(encoded.c_str());
  return 0;
}
