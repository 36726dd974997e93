// Pictures written as PNG files.
#pragma once

#include <cstddef>
#include <string>

// Writes w x h pixels -- rows top first, bytesPerRow apart, each pixel B, G, R and one unused
// byte -- as an 8-bit RGB PNG. The file appears only when whole; false with the reason.
bool WritePNGFile(const std::string& path, const unsigned char* pixels, int w, int h, size_t bytesPerRow,
                  std::string& err);
