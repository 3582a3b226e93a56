#pragma once
// The loops that run over whole blocks of bytes, each in a portable form and,
// where the processor has the instructions, a vector form, gathered in one
// table of functions. The table is chosen once per run; the engine's public
// functions (DecodeStandardBinHexChars, BinHexCrcSpan, AddBtoaWords,
// PutBase85Words, PlainLinesPrefix) call through it, once per block, and
// nothing else asks the processor what it has.
//
// An internal header: the engine's own headers do not include it. Tests reach
// every table through it.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/Alphabets.h"
#include "core/BtoaChecks.h"

namespace twick {

struct KernelTable {
  /// Which instructions the table uses, for test traces.
  const char* name;
  /// DecodeStandardBinHexChars (core/BinHex.h).
  size_t (*decodeStandardBinHex)(const SpreadTable& table, std::string_view chars,
                                 unsigned char* dst, bool& mayHoldMarker);
  /// BinHexCrcSpan (core/BinHexCrc.h).
  uint16_t (*binHexCrcSpan)(uint16_t crc, const unsigned char* p, size_t n);
  /// AddBtoaWords (core/BtoaChecks.h).
  void (*addBtoaWords)(BtoaChecks& checks, const unsigned char* bytes, size_t words);
  /// PutBase85Words (core/Base85.h).
  void (*putBase85Words)(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords);
  /// Bit k tells whether text[base + k] is a line end, "=" or ":" (where
  /// the scan over plain lines, jobs/PlainLines.h, stops to look), for the
  /// (up to) 64 bytes from `base`.
  uint64_t (*lineStops)(std::string_view text, size_t base);
};

/// Every function without vector instructions.
const KernelTable& PortableKernels();
/// The quickest functions this processor runs.
const KernelTable& NativeKernels();
/// Every table this processor runs: the portable one first, the native one
/// last, and between them the one every processor of its kind runs.
std::vector<const KernelTable*> RunnableKernels();

/// The table this run uses, chosen on first use.
inline const KernelTable& ActiveKernels() { return NativeKernels(); }

}  // namespace twick
