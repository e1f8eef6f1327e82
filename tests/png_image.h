// Reading the PNG screenshots of the browser test: a small inflate and the
// PNG filters, enough for 8-bit RGB and RGBA images without interlacing.
#ifndef TESTS_PNG_IMAGE_H_
#define TESTS_PNG_IMAGE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace png_test {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, rows top to bottom

  const std::uint8_t* at(int x, int y) const {
    return rgb.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                         static_cast<std::size_t>(x)) *
                            3;
  }
};

// Inflates a zlib stream (RFC 1950/1951). Returns false on a damaged stream.
bool inflate_zlib(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out);

// Decodes the PNG file `bytes`. Returns false with a reason in `why`.
bool decode_png(const std::string& bytes, Image& img, std::string& why);

}  // namespace png_test

#endif  // TESTS_PNG_IMAGE_H_
