#pragma once
// libpng error and warning handlers for the PNG reader and writer: an error returns to the
// caller's jump buffer without printing (the caller reports failure by its result), warnings
// are dropped.

#include <png.h>

// Returns to the jump buffer set with png_jmpbuf.
inline void LICE_PNGError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Ignores the warning.
inline void LICE_PNGWarning(png_structp, png_const_charp) {}
