#pragma once

#include <png.h>

namespace fw::pic {

// libpng's handlers for reading and writing. libpng prints its errors and warnings on stderr
// unless told otherwise; here an error jumps back to the call that set the jump, which reports
// the failure by its result (a damaged file is skipped without a word), and a warning is dropped.
[[noreturn]] inline void pngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

inline void pngWarning(png_structp, png_const_charp) {}

}  // namespace fw::pic
