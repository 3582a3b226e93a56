#pragma once
// The vector entries of the kernel table, one file per instruction set. Each
// function carries its instruction set as a target attribute rather than the
// file taking compiler flags, so the rest of the program (and any inline
// function these files share with it) stays plain x86-64, and the program
// runs on every x86-64 processor. On other processors these files compile to
// nothing and the native table is the portable one.
// Internal to the dispatch and the kernels.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codecs/Alphabets.h"
#include "codecs/BtoaChecks.h"
#include "codecs/ByteOrder.h"
#include "codecs/ByteSet.h"
#include "codecs/LineCode.h"
#include "codecs/LineRuns.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TWICK_X86_VECTOR_CODE 1
#else
#define TWICK_X86_VECTOR_CODE 0
#endif

namespace twick {

#if TWICK_X86_VECTOR_CODE

// Sse2Kernels.cpp: every x86-64 processor has SSE2.
void AddBtoaWordsSse2(BtoaChecks& checks, const unsigned char* bytes, size_t words);
/// The words of AddBtoaWordsSse2 in groups of four: folds them into R and S
/// (the one per byte not included) and returns their XOR.
uint32_t AddBtoaGroupsSse2(BtoaChecks& checks, const unsigned char* bytes, size_t groups);
uint64_t LineStopsSse2(std::string_view text, size_t base);
size_t YEncRunSse2(const unsigned char* src, size_t n, unsigned char* dst, const bool* lineStops,
                   size_t& produced);

// Avx2Kernels.cpp
size_t DecodeStandardBinHexAvx2(const SpreadTable& table, std::string_view chars,
                                unsigned char* dst, bool& mayHoldMarker);
bool IsBinHexDataTextAvx2(std::string_view text);
bool AllInByteSetAvx2(const ByteSet& set, std::string_view text);
uint64_t LineStopsAvx2(std::string_view text, size_t base);
void AddBtoaWordsAvx2(BtoaChecks& checks, const unsigned char* bytes, size_t words);
void PutBase85WordsAvx2(const unsigned char* words, size_t count, char* dst, uint64_t* zeroWords);
size_t YEncRunAvx2(const unsigned char* src, size_t n, unsigned char* dst, const bool* lineStops,
                   size_t& produced);

// Base85Avx2.cpp
size_t DecodeBase85GroupsAvx2(const unsigned char* src, size_t groups, unsigned char* dst);

// Avx2LineKernels.cpp
char* EncodeFullLinesAvx2(const LineCode& code, const unsigned char* src, size_t lines, char* dst);

// Avx512LineKernels.cpp: AVX-512 F, BW and VBMI.
char* EncodeFullLinesAvx512Vbmi(const LineCode& code, const unsigned char* src, size_t lines,
                                char* dst);

// LineRunsAvx2.cpp
LineRun DecodeLineRunAvx2(const SixBitCode& code, std::string_view text, unsigned char* dst,
                          size_t room, size_t budget, const ByteSet& stopFirst);

// ClmulKernels.cpp: carry-less multiplication and SSSE3's byte shuffle.
uint16_t BinHexCrcSpanClmul(uint16_t crc, const unsigned char* p, size_t n);
uint32_t Crc32SpanClmul(uint32_t crc, const unsigned char* p, size_t n);

#endif

/// R after the sixteen bytes at `p`, given `weighted`, their sum weighted
/// 2^15, ..., 1: below 2^24, so a carry out of its partial sums can only
/// reach the top bit through bits 8 to 15 of r, all set.
inline uint32_t RotateInFourWords(uint32_t r, uint32_t weighted, const unsigned char* p) {
  constexpr uint32_t kCarryPath = 0x0000FF00;
  if ((r & kCarryPath) != kCarryPath) return RotateLeft(r, 16) + weighted;
  for (int k = 0; k < 16; k += 4) r = RotateInWord(r, LoadBigEndian32(p + k));
  return r;
}

}  // namespace twick
