#pragma once
// What an encoder reads from the encode job that calls it, and the encoders
// themselves. Each encoder reads the open input from its start to its end,
// writes the encoded text (CR LF line ends) to `out`, and returns true on
// success. On failure (no memory for its buffers, a read or a write error) it
// has already told the user and returns false.

#include <cstdint>
#include <string>

#include "core/Alphabets.h"
#include "core/BtoaChecks.h"
#include "core/InputFile.h"
#include "core/JobWindow.h"
#include "core/Memory.h"
#include "core/OutputFile.h"

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

/// Base64 with a three-line MIME header, 60 characters per line.
bool EncodeBase64(EncodeContext& dlg, InputFile& in, OutputSink& out);

/// uuencode lines with `alphabet` (UU or XX); the end pair follows
/// `m_nCodeFormat`: the backquote line for UU, the "+" line otherwise.
bool EncodeUUXX(EncodeContext& dlg, InputFile& in, OutputSink& out, const char* alphabet);

/// btoa (base 85) lines of 78 characters with the "xbtoa" begin and end lines.
bool EncodeBtoa(EncodeContext& dlg, InputFile& in, OutputSink& out);

/// The closing "xbtoa End" line, CR LF included; the count is printed whole
/// at any size.
std::string BtoaEndLine(uint64_t byteCount, BtoaChecks checks);

}  // namespace twick
