#pragma once
// What a decoder reads from the decode job that calls it, and the decoders
// themselves. Each decoder reads the section that starts at the stream's
// current line, writes it to `m_strOutput`, and returns 1 on success, 0 when
// the output could not be created or written (after telling the user).

#include <cstdint>
#include <string>

#include "core/Alphabets.h"
#include "core/FileIdentity.h"
#include "core/JobWindow.h"
#include "core/OutputFile.h"
#include "core/TextStream.h"

namespace twick {

struct DecodeContext {
  DecodeContext(JobWindow& window, OutputOpener& opener) : m_window(window), m_opener(opener) {}
  virtual ~DecodeContext() = default;

  /// Called by the UU/XX and Base64 decoders when their section stops at a
  /// blank line or the end of the stream: true when the file goes on in a
  /// further part (posted in parts, read in part order wherever each part
  /// lies in the source); the stream then stands at that part's first data
  /// line. Otherwise the stream is left where it was.
  virtual bool FindContinuation(TextStream& /*in*/) { return false; }

  JobWindow& m_window;
  OutputOpener& m_opener;
  /// Reads the source; tests put a failing reader here.
  FileReader* m_pReader = &DiskFileReader();
  /// The open source; an output path that names it is refused.
  FileIdentity m_sourceIdentity;

  const char* m_pB64Alphabet = Base64Alphabet;
  const char* m_pUUAlphabet = UUAlphabet;
  const char* m_pXXAlphabet = XXAlphabet;
  const DecodeTable* m_pB64Table = &SharedDecodeTables().Base64Table;
  const DecodeTable* m_pUUTable = &SharedDecodeTables().UUTable;
  const DecodeTable* m_pXXTable = &SharedDecodeTables().XXTable;
  const DecodeTable* m_pBinHexTable = &SharedDecodeTables().BinHexTable;

  int m_nCodeFormat = kFormatBase64;
  int m_nBufSize = 0;
  int m_nBtoaVersion = 4;
  std::string m_strOutput;
  /// Set by a decoder that wrote its output but found data missing or
  /// damaged (a check value that does not match); it has told the user.
  bool m_bDataLost = false;
  /// Set by the UU/XX decoder when its section ended without its closing
  /// line (the caller reports it).
  bool m_bCutShort = false;
  /// The section came under a "begin-base64" line and ends at "====".
  bool m_bEqualsLineEnds = false;
  /// Whether a file already at `m_strOutput` may be replaced.
  bool m_bReplaceOutput = true;
};

int DecodeBase64(DecodeContext& dlg, TextStream& in, char* buffer, uint64_t sectionStart);
int DecodeUUXX(DecodeContext& dlg, TextStream& in, char* buffer, const DecodeTable& table,
               uint64_t sectionStart);
int DecodeBtoa(DecodeContext& dlg, TextStream& in, char* buffer, uint64_t sectionStart);
int DecodeBinHex(DecodeContext& dlg, TextStream& in, char* buffer, uint64_t sectionStart);

}  // namespace twick
