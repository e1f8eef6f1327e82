// A small PNG reader for the screenshots of the browser test.
#include "tests/png_image.h"

#include <array>
#include <cstdlib>

namespace png_test {
namespace {

class Bits {
 public:
  explicit Bits(const std::vector<std::uint8_t>& in) : in_(in) {}
  // Takes `n` bits, least significant first; false past the end.
  bool take(int n, std::uint32_t& v) {
    v = 0;
    for (int i = 0; i < n; ++i) {
      if (pos_ >= in_.size()) return false;
      v |= static_cast<std::uint32_t>((in_[pos_] >> bit_) & 1u) << i;
      if (++bit_ == 8) {
        bit_ = 0;
        ++pos_;
      }
    }
    return true;
  }
  void to_byte() {
    if (bit_ != 0) {
      bit_ = 0;
      ++pos_;
    }
  }
  std::size_t pos_ = 0;
  const std::vector<std::uint8_t>& in_;

 private:
  int bit_ = 0;
};

// A canonical Huffman code: counts of each length and symbols by code.
struct Huffman {
  std::array<std::uint16_t, 16> count{};
  std::vector<std::uint16_t> symbol;

  bool build(const std::uint8_t* lengths, int n) {
    count.fill(0);
    for (int i = 0; i < n; ++i) ++count[lengths[i]];
    count[0] = 0;
    std::array<std::uint16_t, 16> offs{};
    for (int i = 1; i < 16; ++i) offs[i] = static_cast<std::uint16_t>(offs[i - 1] + count[i - 1]);
    symbol.assign(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i)
      if (lengths[i] != 0) symbol[offs[lengths[i]]++] = static_cast<std::uint16_t>(i);
    return true;
  }

  bool decode(Bits& b, int& sym) const {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len < 16; ++len) {
      std::uint32_t bit;
      if (!b.take(1, bit)) return false;
      code |= static_cast<int>(bit);
      const int c = count[static_cast<std::size_t>(len)];
      if (code - c < first) {
        sym = symbol[static_cast<std::size_t>(index + (code - first))];
        return true;
      }
      index += c;
      first += c;
      first <<= 1;
      code <<= 1;
    }
    return false;
  }
};

constexpr std::uint16_t kLenBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t kLenExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t kDistBase[] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t kDistExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                       6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool inflate_block(Bits& b, const Huffman& lit, const Huffman& dist,
                   std::vector<std::uint8_t>& out) {
  for (;;) {
    int sym;
    if (!lit.decode(b, sym)) return false;
    if (sym < 256) {
      out.push_back(static_cast<std::uint8_t>(sym));
    } else if (sym == 256) {
      return true;
    } else {
      sym -= 257;
      if (sym >= 29) return false;
      std::uint32_t extra;
      if (!b.take(kLenExtra[sym], extra)) return false;
      const std::size_t len = kLenBase[sym] + extra;
      int ds;
      if (!dist.decode(b, ds) || ds >= 30) return false;
      if (!b.take(kDistExtra[ds], extra)) return false;
      const std::size_t d = kDistBase[ds] + extra;
      if (d > out.size()) return false;
      for (std::size_t i = 0; i < len; ++i) out.push_back(out[out.size() - d]);
    }
  }
}

std::uint32_t be32(const std::string& s, std::size_t p) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[p])) << 24 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[p + 1])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[p + 2])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[p + 3]));
}

}  // namespace

bool inflate_zlib(const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) {
  out.clear();
  if (in.size() < 2 || (in[0] & 0x0f) != 8) return false;
  Bits b(in);
  b.pos_ = 2;
  for (;;) {
    std::uint32_t last, type;
    if (!b.take(1, last) || !b.take(2, type)) return false;
    if (type == 0) {
      b.to_byte();
      if (b.pos_ + 4 > in.size()) return false;
      const std::size_t len = in[b.pos_] | static_cast<std::size_t>(in[b.pos_ + 1]) << 8;
      b.pos_ += 4;
      if (b.pos_ + len > in.size()) return false;
      out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(b.pos_),
                 in.begin() + static_cast<std::ptrdiff_t>(b.pos_ + len));
      b.pos_ += len;
    } else if (type == 1) {
      std::uint8_t l[288], d[30];
      for (int i = 0; i < 288; ++i) l[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
      for (int i = 0; i < 30; ++i) d[i] = 5;
      Huffman lit, dist;
      lit.build(l, 288);
      dist.build(d, 30);
      if (!inflate_block(b, lit, dist, out)) return false;
    } else if (type == 2) {
      std::uint32_t hlit, hdist, hclen;
      if (!b.take(5, hlit) || !b.take(5, hdist) || !b.take(4, hclen)) return false;
      static constexpr int kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                         11, 4,  12, 3, 13, 2, 14, 1, 15};
      std::uint8_t cl[19] = {};
      for (std::uint32_t i = 0; i < hclen + 4; ++i) {
        std::uint32_t v;
        if (!b.take(3, v)) return false;
        cl[kOrder[i]] = static_cast<std::uint8_t>(v);
      }
      Huffman code;
      code.build(cl, 19);
      std::uint8_t lens[320] = {};
      const std::uint32_t n = hlit + 257 + hdist + 1;
      for (std::uint32_t i = 0; i < n;) {
        int sym;
        if (!code.decode(b, sym)) return false;
        std::uint32_t rep = 0;
        std::uint8_t val = 0;
        if (sym < 16) {
          lens[i++] = static_cast<std::uint8_t>(sym);
          continue;
        }
        if (sym == 16) {
          if (i == 0 || !b.take(2, rep)) return false;
          val = lens[i - 1];
          rep += 3;
        } else if (sym == 17) {
          if (!b.take(3, rep)) return false;
          rep += 3;
        } else {
          if (!b.take(7, rep)) return false;
          rep += 11;
        }
        if (i + rep > n) return false;
        while (rep-- > 0) lens[i++] = val;
      }
      Huffman lit, dist;
      lit.build(lens, static_cast<int>(hlit + 257));
      dist.build(lens + hlit + 257, static_cast<int>(hdist + 1));
      if (!inflate_block(b, lit, dist, out)) return false;
    } else {
      return false;
    }
    if (last) return true;
  }
}

bool decode_png(const std::string& bytes, Image& img, std::string& why) {
  static const std::string kSignature = "\x89PNG\r\n\x1a\n";
  if (bytes.compare(0, 8, kSignature) != 0) {
    why = "not a PNG file";
    return false;
  }
  std::vector<std::uint8_t> idat;
  int depth = 0, colour = 0, interlace = 0;
  for (std::size_t p = 8; p + 8 <= bytes.size();) {
    const std::uint32_t len = be32(bytes, p);
    const std::string type = bytes.substr(p + 4, 4);
    if (p + 12 + len > bytes.size()) break;
    if (type == "IHDR") {
      img.width = static_cast<int>(be32(bytes, p + 8));
      img.height = static_cast<int>(be32(bytes, p + 12));
      depth = static_cast<std::uint8_t>(bytes[p + 16]);
      colour = static_cast<std::uint8_t>(bytes[p + 17]);
      interlace = static_cast<std::uint8_t>(bytes[p + 20]);
    } else if (type == "IDAT") {
      idat.insert(idat.end(), bytes.begin() + static_cast<std::ptrdiff_t>(p + 8),
                  bytes.begin() + static_cast<std::ptrdiff_t>(p + 8 + len));
    }
    p += 12 + len;
  }
  if (depth != 8 || (colour != 2 && colour != 6) || interlace != 0 || img.width <= 0 ||
      img.height <= 0) {
    why = "unsupported PNG layout (depth " + std::to_string(depth) + ", colour type " +
          std::to_string(colour) + ")";
    return false;
  }
  std::vector<std::uint8_t> raw;
  if (!inflate_zlib(idat, raw)) {
    why = "damaged image data";
    return false;
  }
  const std::size_t bpp = colour == 6 ? 4 : 3;
  const std::size_t stride = bpp * static_cast<std::size_t>(img.width);
  if (raw.size() < (stride + 1) * static_cast<std::size_t>(img.height)) {
    why = "image data too short";
    return false;
  }
  std::vector<std::uint8_t> prev(stride, 0), cur(stride);
  img.rgb.resize(static_cast<std::size_t>(img.width) * static_cast<std::size_t>(img.height) * 3);
  for (int y = 0; y < img.height; ++y) {
    const std::uint8_t* line = raw.data() + static_cast<std::size_t>(y) * (stride + 1);
    const int filter = line[0];
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      int pred = 0;
      switch (filter) {
        case 0:
          pred = 0;
          break;
        case 1:
          pred = a;
          break;
        case 2:
          pred = b;
          break;
        case 3:
          pred = (a + b) / 2;
          break;
        case 4: {
          const int pp = a + b - c, pa = std::abs(pp - a), pb = std::abs(pp - b),
                    pc = std::abs(pp - c);
          pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default:
          why = "unknown PNG filter";
          return false;
      }
      cur[i] = static_cast<std::uint8_t>(line[1 + i] + pred);
    }
    for (int x = 0; x < img.width; ++x)
      for (int k = 0; k < 3; ++k)
        img.rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(img.width) +
                 static_cast<std::size_t>(x)) *
                    3 +
                static_cast<std::size_t>(k)] =
            cur[static_cast<std::size_t>(x) * bpp + static_cast<std::size_t>(k)];
    std::swap(prev, cur);
  }
  return true;
}

}  // namespace png_test
