#pragma once
// What the encode job works with: its window, its buffers' allocator, the
// source reader, the alphabets and format, and the names it writes.

#include <string>

#include "codecs/Alphabets.h"
// The btoa decoder still reaches the check words through this header.
#include "codecs/BtoaChecks.h"
#include "core/InputFile.h"
#include "core/JobWindow.h"
#include "core/Memory.h"

namespace twick {

struct EncodeContext {
  EncodeContext(JobWindow& window, BufferAllocator& allocator)
      : m_window(window), m_allocator(allocator) {}

  JobWindow& m_window;
  BufferAllocator& m_allocator;
  /// Reads the source; tests put a failing reader here.
  FileReader* m_pReader = &DiskFileReader();

  const char* m_pB64Alphabet = Base64Alphabet;
  const char* m_pUUAlphabet = UUAlphabet;
  const char* m_pXXAlphabet = XXAlphabet;

  int m_nCodeFormat = kFormatBase64;
  /// The source's name without its folder; named in the encoded header.
  std::string m_strTitle;
  /// The output path, named in the write-failure message.
  std::string m_strOutput;
};

}  // namespace twick
