#pragma once
// The loops that run over whole blocks of bytes, each in a portable form and,
// where the processor has the instructions, a vector form, gathered in one
// table of functions. The table is chosen once per run; the engine's public
// functions (DecodeStandardBinHexChars, IsBinHexDataText, AllInByteSet,
// BinHexCrcSpan, AddBtoaWords, PutBase85Words, PlainLinesPrefix, YEncDecoder,
// Crc32Span, DecodeBase85Groups) call through it, once per block, and nothing
// else asks the processor what it has.
//
// The portable table is used instead of the native one when the environment
// holds TWICK_FORCE_PORTABLE=1 (read once, when the table is chosen) or the
// build was configured with -DTWICK_FORCE_PORTABLE=ON, so that the code a
// processor without the vector instructions runs can be run anywhere.
//
// An internal header: the engine's own headers do not include it. Tests reach
// every table through it.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "codecs/Alphabets.h"
#include "codecs/BtoaChecks.h"
#include "codecs/ByteSet.h"
#include "codecs/LineRuns.h"

namespace twick {

struct LineCode;

struct KernelTable {
  /// Which instructions the table uses, for test traces.
  const char* name;
  /// DecodeStandardBinHexChars (codecs/BinHex.h).
  size_t (*decodeStandardBinHex)(const SpreadTable& table, std::string_view chars,
                                 unsigned char* dst, bool& mayHoldMarker);
  /// IsBinHexDataText (codecs/BinHex.h).
  bool (*isBinHexDataText)(std::string_view text);
  /// AllInByteSet (codecs/ByteSet.h).
  bool (*allInByteSet)(const ByteSet& set, std::string_view text);
  /// BinHexCrcSpan (codecs/BinHexCrc.h).
  uint16_t (*binHexCrcSpan)(uint16_t crc, const unsigned char* p, size_t n);
  /// AddBtoaWords (codecs/BtoaChecks.h).
  void (*addBtoaWords)(BtoaChecks& checks, const unsigned char* bytes, size_t words);
  /// PutBase85Words (codecs/Base85.h).
  void (*putBase85Words)(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords);
  /// Bit k tells whether text[base + k] is a line end, "=" or ":" (where
  /// the scan over plain lines, jobs/PlainLines.h, stops to look), for the
  /// (up to) 64 bytes from `base`.
  uint64_t (*lineStops)(std::string_view text, size_t base);
  /// Decodes yEnc text from src to dst: plain characters less 42, "=" and
  /// the character after it (no line end) as that one less 106, and passes
  /// over line ends whose next line begins with a character that
  /// `lineStops` (256 entries; CR, LF, "=" and "." among them) leaves alone,
  /// and lone CRs. Stops at the end of `n`, at "=" before a line end or the
  /// end, and at the line end before a line the caller must look at.
  /// Returns the characters taken and sets `produced` (codecs/YEncDecoder.h).
  /// May write past dst + produced, never past dst + n.
  size_t (*yencRun)(const unsigned char* src, size_t n, unsigned char* dst, const bool* lineStops,
                    size_t& produced);
  /// Crc32Span (codecs/Crc32.h).
  uint32_t (*crc32Span)(uint32_t crc, const unsigned char* p, size_t n);
  /// DecodeBase85Groups (codecs/Base85.h), for the btoa decoder.
  size_t (*decodeBase85Groups)(const unsigned char* src, size_t groups, unsigned char* dst);
  /// EncodeFullLines (codecs/LineCode.h): the Base64, UU and XX encoders.
  char* (*encodeFullLines)(const LineCode& code, const unsigned char* src, size_t lines, char* dst);
  /// DecodeLineRun (codecs/LineRuns.h): runs of ordinary Base64, UU or XX lines.
  LineRun (*decodeLineRun)(const SixBitCode& code, std::string_view text, unsigned char* dst,
                           size_t room, size_t budget, const ByteSet& stopFirst);
};

/// Every function without vector instructions.
const KernelTable& PortableKernels();
/// The quickest functions this processor runs, whatever the switch says.
const KernelTable& NativeKernels();
/// Every table this processor runs: the portable one first, the native one
/// last, and between them the one every processor of its kind runs.
std::vector<const KernelTable*> RunnableKernels();

/// Whether a value of the environment variable TWICK_FORCE_PORTABLE (null
/// when it is not set) asks for the portable table: any value but "" and "0".
bool AsksForPortable(const char* value);
/// The native or the portable table, as the build and the environment say;
/// ActiveKernels keeps the answer.
const KernelTable& ChooseKernels();

/// The table this run uses, chosen on first use.
inline const KernelTable& ActiveKernels() {
  static const KernelTable& chosen = ChooseKernels();
  return chosen;
}

}  // namespace twick
