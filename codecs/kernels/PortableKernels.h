#pragma once
// The portable entries of the kernel table, defined beside the code they
// belong to, and the steps of them that the vector kernels finish with.
// Internal to the dispatch and the kernels.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/BtoaChecks.h"
#include "codecs/ByteSet.h"
#include "codecs/LineCode.h"
#include "codecs/LineRuns.h"

namespace twick {

// codecs/BinHex.cpp
size_t DecodeStandardBinHexPortable(const SpreadTable& table, std::string_view chars,
                                    unsigned char* dst, bool& mayHoldMarker);
bool IsBinHexDataTextPortable(std::string_view text);

// codecs/BinHexCrc.cpp
uint16_t BinHexCrcSpanPortable(uint16_t crc, const unsigned char* p, size_t n);

// codecs/BtoaChecks.cpp
void AddBtoaWordsPortable(BtoaChecks& checks, const unsigned char* bytes, size_t words);
/// Folds `words` words into R and S (the one per byte not included) and
/// returns their XOR, for FoldXorIntoE.
uint64_t AddBtoaWordsToRS(BtoaChecks& checks, const unsigned char* bytes, size_t words);
/// Folds the XOR of whole words, in any byte order, into E.
inline void FoldXorIntoE(BtoaChecks& checks, uint64_t byteXor) {
  checks.E ^= FoldWordXor(static_cast<uint32_t>(byteXor ^ (byteXor >> 32)));
}

// codecs/Base85.cpp
void PutBase85WordsPortable(const unsigned char* words, size_t count, char* dst,
                            uint64_t* zeroWords);
size_t DecodeBase85GroupsPortable(const unsigned char* src, size_t groups, unsigned char* dst);
/// PutBase85Words for the words from `first` on, with zeroWords already
/// cleared.
void PutBase85WordsFrom(size_t first, const unsigned char* words, size_t count, char* dst,
                        uint64_t* zeroWords);

// codecs/YEncDecoder.cpp
size_t YEncRunPortable(const unsigned char* src, size_t n, unsigned char* dst,
                       const bool* lineStops, size_t& produced);

// codecs/Crc32.cpp
uint32_t Crc32SpanPortable(uint32_t crc, const unsigned char* p, size_t n);

// codecs/LineCode.cpp
char* EncodeFullLinesPortable(const LineCode& code, const unsigned char* src, size_t lines,
                              char* dst);

// codecs/Dispatch.cpp
bool AllInByteSetPortable(const ByteSet& set, std::string_view text);
uint64_t LineStopsPortable(std::string_view text, size_t base);

// codecs/LineRuns.cpp
LineRun DecodeLineRunPortable(const SixBitCode& code, std::string_view text, unsigned char* dst,
                              size_t room, size_t budget, const ByteSet& stopFirst);

}  // namespace twick
