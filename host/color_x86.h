// The x86 SIMD kernels of the 8-bit BGR conversions; color.cpp picks one at
// run time from what the processor offers.
#pragma once

#include <cstdint>

#include "host/color.h"

#if defined(__x86_64__) || defined(__i386__)
#define QHOST_X86 1
#else
#define QHOST_X86 0
#endif

#if QHOST_X86
namespace qhost {

void bgr_to_yc_ssse3(PIXEL_YC *dst, const uint8_t *bgr, int w);
void yc_to_bgr_ssse3(uint8_t *bgr, const PIXEL_YC *src, int w);
void bgr_to_yc_avx2(PIXEL_YC *dst, const uint8_t *bgr, int w);
void yc_to_bgr_avx2(uint8_t *bgr, const PIXEL_YC *src, int w);

}  // namespace qhost
#endif
