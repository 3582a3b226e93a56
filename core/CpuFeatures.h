#pragma once
// Code for optional vector instructions is built where the compiler can
// target them function by function; whether this processor has them is
// asked once, when first needed.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TWICK_X86_VECTOR_CODE 1
#else
#define TWICK_X86_VECTOR_CODE 0
#endif

namespace twick {

#if TWICK_X86_VECTOR_CODE
inline bool CpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

/// Carry-less multiplication, and the byte shuffles used with it.
inline bool CpuHasCarrylessMultiply() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  return has;
}
#endif

}  // namespace twick
