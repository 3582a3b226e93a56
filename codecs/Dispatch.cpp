#include "codecs/Dispatch.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include "codecs/kernels/PortableKernels.h"
#include "codecs/kernels/VectorKernels.h"

namespace twick {

namespace {

/// What the processor has, as far as the kernels care.
struct CpuFeatures {
  bool avx2 = false;
  /// Carry-less multiplication, and the byte shuffles used with it.
  bool carrylessMultiply = false;
  /// AVX-512 with byte permutations (F, BW and VBMI).
  bool avx512Vbmi = false;
};

/// The one place that asks the processor.
CpuFeatures AskTheProcessor() {
  CpuFeatures features;
#if TWICK_X86_VECTOR_CODE
  features.avx2 = __builtin_cpu_supports("avx2");
  features.carrylessMultiply = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  features.avx512Vbmi = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512vbmi");
#endif
  return features;
}

constexpr KernelTable kPortable = {
    "portable",
    &DecodeStandardBinHexPortable,
    &IsBinHexDataTextPortable,
    &AllInByteSetPortable,
    &BinHexCrcSpanPortable,
    &AddBtoaWordsPortable,
    &PutBase85WordsPortable,
    &LineStopsPortable,
    &YEncRunPortable,
    &Crc32SpanPortable,
    &DecodeBase85GroupsPortable,
    &EncodeFullLinesPortable,
    &DecodeLineRunPortable,
};

/// The quickest kernel of each kind for a processor with `features`.
KernelTable KernelsFor(const CpuFeatures& features) {
  KernelTable table = kPortable;
#if TWICK_X86_VECTOR_CODE
  table.name = "x86-64";
  table.addBtoaWords = &AddBtoaWordsSse2;
  table.lineStops = &LineStopsSse2;
  table.yencRun = &YEncRunSse2;
  if (features.avx2) {
    table.name = "x86-64 avx2";
    table.decodeStandardBinHex = &DecodeStandardBinHexAvx2;
    table.isBinHexDataText = &IsBinHexDataTextAvx2;
    table.allInByteSet = &AllInByteSetAvx2;
    table.lineStops = &LineStopsAvx2;
    table.addBtoaWords = &AddBtoaWordsAvx2;
    table.putBase85Words = &PutBase85WordsAvx2;
    table.yencRun = &YEncRunAvx2;
    table.decodeBase85Groups = &DecodeBase85GroupsAvx2;
    table.encodeFullLines = &EncodeFullLinesAvx2;
    table.decodeLineRun = &DecodeLineRunAvx2;
  }
  if (features.carrylessMultiply) {
    table.name = features.avx2 ? "x86-64 avx2 clmul" : "x86-64 clmul";
    table.binHexCrcSpan = &BinHexCrcSpanClmul;
    table.crc32Span = &Crc32SpanClmul;
  }
  if (features.avx512Vbmi) {
    table.name = features.avx2 && features.carrylessMultiply ? "x86-64 avx2 clmul avx512vbmi"
                                                             : "x86-64 avx512vbmi";
    table.encodeFullLines = &EncodeFullLinesAvx512Vbmi;
  }
#else
  (void)features;
#endif
  return table;
}

}  // namespace

uint64_t LineStopsPortable(std::string_view text, size_t base) {
  constexpr std::array<bool, 256> kStop = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'\n', '=', ':'}) table[c] = true;
    return table;
  }();
  const size_t n = std::min<size_t>(64, text.size() - base);
  uint64_t mask = 0;
  for (size_t k = 0; k < n; ++k) {
    if (kStop[static_cast<unsigned char>(text[base + k])]) mask |= uint64_t{1} << k;
  }
  return mask;
}

bool AllInByteSet(const ByteSet& set, std::string_view text) {
  return ActiveKernels().allInByteSet(set, text);
}

bool AllInByteSetPortable(const ByteSet& set, std::string_view text) {
  bool outside = false;
  for (const char c : text) outside |= !set.Has(static_cast<unsigned char>(c));
  return !outside;
}

const KernelTable& PortableKernels() { return kPortable; }

const KernelTable& NativeKernels() {
  static const KernelTable native = KernelsFor(AskTheProcessor());
  return native;
}

std::vector<const KernelTable*> RunnableKernels() {
  static const KernelTable baseline = KernelsFor(CpuFeatures{});
  // Where the native table has AVX-512 kernels, the AVX2 ones they stand for.
  static const KernelTable withoutAvx512 = [] {
    CpuFeatures features = AskTheProcessor();
    features.avx512Vbmi = false;
    return KernelsFor(features);
  }();
  std::vector<const KernelTable*> tables = {&PortableKernels()};
  for (const KernelTable* table : {&baseline, &withoutAvx512, &NativeKernels()}) {
    if (std::string_view(table->name) != tables.back()->name) tables.push_back(table);
  }
  return tables;
}

bool AsksForPortable(const char* value) {
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

const KernelTable& ChooseKernels() {
#if defined(TWICK_FORCE_PORTABLE)
  return PortableKernels();
#else
  return AsksForPortable(std::getenv("TWICK_FORCE_PORTABLE")) ? PortableKernels() : NativeKernels();
#endif
}

}  // namespace twick
