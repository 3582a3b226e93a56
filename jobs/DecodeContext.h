#pragma once
// What a section decoder reads from the decode job that calls it, and the
// section decoders themselves. Each reads the section that starts at the
// stream's current line, drives its format's codec over it, writes the bytes
// to `m_strOutput` and says how the section ended.

#include <cstdint>
#include <string>

#include "codecs/Alphabets.h"
#include "codecs/CodecStatus.h"
#include "core/FileIdentity.h"
#include "core/JobWindow.h"
#include "core/OutputFile.h"
#include "core/TextStream.h"

namespace twick {

class MimeBoundaries;

struct DecodeContext {
  DecodeContext(JobWindow& window, OutputOpener& opener) : m_window(window), m_opener(opener) {}
  virtual ~DecodeContext() = default;

  /// Called by the UU/XX and Base64 decoders when their section stops at a
  /// blank line or the end of the stream: true when the file goes on in a
  /// further part (posted in parts, read in part order wherever each part
  /// lies in the source); the stream then stands at that part's first data
  /// line. Otherwise the stream is left where it was.
  virtual bool FindContinuation(TextStream& /*in*/) { return false; }
  /// Whether the decoder is reading a further part that FindContinuation
  /// moved it to: a header line there is where that part ends.
  virtual bool ReadingFurtherPart() const { return false; }
  /// Called by the UU/XX decoder at a part marker line ("Part 3 of 5 ...")
  /// inside the data, the stream standing at that line: the part before it
  /// has ended. ReadOn when the next part follows in order (the line is
  /// passed over), Moved when the stream now stands at the next part to
  /// read, Ends when the file has no further part.
  enum class MarkerStep { ReadOn, Moved, Ends };
  virtual MarkerStep PartMarkerInData(TextStream& /*in*/, int /*part*/) {
    return MarkerStep::ReadOn;
  }

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
  /// The section came under a "begin-base64" line and ends at "====".
  bool m_bEqualsLineEnds = false;
  /// Whether a file already at `m_strOutput` may be replaced.
  bool m_bReplaceOutput = true;
  /// Set by the job's creator (the console's --rename). When not replacing:
  /// a name taken when the output is committed moves it to the next free
  /// numbered name (`m_strOutput` then says which).
  bool m_bRenameOnConflict = false;
  /// The MIME boundaries the job's scanner has met: a text part ends at a
  /// delimiter line of one (null: at the end of the stream).
  const MimeBoundaries* m_pMimeBoundaries = nullptr;
};

/// How a section decoder's run ended.
struct SectionResult {
  /// The output was created and every byte of it written and closed (the
  /// "File Error:" box has been shown when not).
  bool written = false;
  /// What the codec said of the section's data: Done when it ended as its
  /// format says, CutShort without its closing line, ChecksWrong when its
  /// check values or lengths do not match.
  CodecStatus status = CodecStatus::Done;
  /// The user asked to stop: the output was dropped (nothing under its name).
  bool stopped = false;
};

SectionResult DecodeBase64(DecodeContext& job, TextStream& in, char* buffer, uint64_t sectionStart);
SectionResult DecodeUUXX(DecodeContext& job, TextStream& in, char* buffer, const DecodeTable& table,
                         uint64_t sectionStart);
SectionResult DecodeBtoa(DecodeContext& job, TextStream& in, char* buffer, uint64_t sectionStart);
SectionResult DecodeBinHex(DecodeContext& job, TextStream& in, char* buffer, uint64_t sectionStart);
SectionResult DecodeYEnc(DecodeContext& job, TextStream& in, char* buffer, uint64_t sectionStart);
/// A MIME text part (m_nCodeFormat kFormatQuotedPrintable or kFormatPlainText).
SectionResult DecodeMimeText(DecodeContext& job, TextStream& in, uint64_t sectionStart);

}  // namespace twick
