// Value texts of the report rows: the text rel16str makes of a 4-byte real,
// remembered for the values met, so that a run makes each distinct text once.
#ifndef VUD_STATS_VALUE_TEXTS_H_
#define VUD_STATS_VALUE_TEXTS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "vud_support/parse/numtext.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

// Value texts of rel16str, remembered by the bits of the value. Readings
// repeat from row to row (a sensor not heard repeats its values, and most
// readings take few distinct values), and making a text is the dearest step of
// a row. The texts depend on the value alone, so a remembered one is the text.
class ValueTexts {
 public:
  std::string_view text(float x) {
    // The places are made at the first text, so that a run state that writes
    // no row carries none.
    if (entries_.empty()) entries_.resize(std::size_t{1} << kBits);
    std::uint32_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    // Two places per value: the one used last comes first.
    Entry* const pair = &entries_[((bits * 0x9E3779B1U) >> (32 - kBits)) & ~std::size_t{1}];
    if (!pair[0].used || pair[0].bits != bits) {
      if (pair[1].used && pair[1].bits == bits) {
        std::swap(pair[0], pair[1]);
      } else {
        pair[1] = pair[0];
        Text<16> t;
        std::int32_t w = 0, iflag = 0;
        rel16str(x, t, w, iflag);
        std::memcpy(pair[0].chars.data(), t.view().data(), pair[0].chars.size());
        pair[0].w = static_cast<std::uint8_t>(w);
        pair[0].bits = bits;
        pair[0].used = true;
      }
    }
    return {pair[0].chars.data(), pair[0].w};
  }

 private:
  static constexpr int kBits = 15;
  struct Entry {
    std::uint32_t bits = 0;
    std::uint8_t w = 0;
    bool used = false;
    std::array<char, 16> chars{};
  };
  std::vector<Entry> entries_;
};

}  // namespace vud

#endif  // VUD_STATS_VALUE_TEXTS_H_
