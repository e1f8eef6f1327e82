#include "jex2csv/aes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tools/seeded_rng.h"

namespace jex {
namespace {

using Bytes16 = std::array<std::uint8_t, 16>;

Bytes16 FromHex(const char* hex) {
  Bytes16 b{};
  for (std::size_t i = 0; i < 16; ++i) {
    b[i] = static_cast<std::uint8_t>(std::stoul(std::string(hex + 2 * i, 2), nullptr, 16));
  }
  return b;
}

// Known-answer vectors: the FIPS-197 example cipher (its Appendix B, with the
// Appendix A key whose expansion ends in w[40..43]) and the AES-128 example
// of Appendix C.1, whose last round key is its first inverse-cipher key.
struct Vector {
  const char* name;
  const char* key;
  const char* last_round_key;
  const char* plain;
  const char* cipher;
};
constexpr Vector kVectors[] = {
    {"appendix_b", "2b7e151628aed2a6abf7158809cf4f3c", "d014f9a8c9ee2589e13f0cc8b6630ca6",
     "3243f6a8885a308d313198a2e0370734", "3925841d02dc09fbdc118597196a0b32"},
    {"appendix_c1", "000102030405060708090a0b0c0d0e0f", "13111d7fe3944a17f307a78b4d2b30c5",
     "00112233445566778899aabbccddeeff", "69c4e0d86a7b0430d8cdb78070b4c55a"},
};

TEST(Aes128, EnciphersOutOfPlaceAndLeavesLastRoundKey) {
  for (const Vector& v : kVectors) {
    const Bytes16 key = FromHex(v.key), plain = FromHex(v.plain);
    Bytes16 out{}, o_key{};
    aes_encrypt_128(plain.data(), out.data(), key.data(), o_key.data());
    EXPECT_EQ(out, FromHex(v.cipher)) << v.name;
    EXPECT_EQ(o_key, FromHex(v.last_round_key)) << v.name;
    EXPECT_EQ(plain, FromHex(v.plain)) << v.name << ": input untouched";
    EXPECT_EQ(key, FromHex(v.key)) << v.name << ": key untouched";
  }
}

// The deciphering tests run once per path this machine has; the path taken
// when the program starts is put back after each.
class Aes128Decipher : public ::testing::TestWithParam<AesPath> {
 protected:
  void SetUp() override {
    if (!aes_use_path(GetParam())) GTEST_SKIP() << "this processor has no AES instructions";
  }
  void TearDown() override {
    if (!aes_use_path(AesPath::kInstructions)) aes_use_path(AesPath::kTables);
  }
};

INSTANTIATE_TEST_SUITE_P(Paths, Aes128Decipher,
                         ::testing::Values(AesPath::kTables, AesPath::kInstructions),
                         [](const ::testing::TestParamInfo<AesPath>& p) {
                           return p.param == AesPath::kTables ? "Tables" : "Instructions";
                         });

TEST_P(Aes128Decipher, DeciphersOutOfPlaceAndLeavesCipherKey) {
  for (const Vector& v : kVectors) {
    const Bytes16 last = FromHex(v.last_round_key), cipher = FromHex(v.cipher);
    Bytes16 out{}, o_key{};
    aes_decrypt_128(cipher.data(), out.data(), last.data(), o_key.data());
    EXPECT_EQ(out, FromHex(v.plain)) << v.name;
    EXPECT_EQ(o_key, FromHex(v.key)) << v.name;
  }
}

TEST_P(Aes128Decipher, WorksInPlaceWithSharedKeyBuffer) {
  for (const Vector& v : kVectors) {
    Bytes16 block = FromHex(v.plain), key = FromHex(v.key);
    aes_encrypt_128(block.data(), block.data(), key.data(), key.data());
    EXPECT_EQ(block, FromHex(v.cipher)) << v.name;
    EXPECT_EQ(key, FromHex(v.last_round_key)) << v.name;

    aes_decrypt_128(block.data(), block.data(), key.data(), key.data());
    EXPECT_EQ(block, FromHex(v.plain)) << v.name;
    EXPECT_EQ(key, FromHex(v.key)) << v.name;
  }
}

// The convention chains: the key left by deciphering re-enciphers to the key
// it came from, and any block survives the round trip under any key.
TEST_P(Aes128Decipher, RoundTripOfTheKeyConvention) {
  Bytes16 key{}, block{};
  for (int trial = 0; trial < 64; ++trial) {
    for (std::size_t i = 0; i < 16; ++i) {
      key[i] = static_cast<std::uint8_t>(trial * 37 + i * 11 + 5);
      block[i] = static_cast<std::uint8_t>(trial * 91 + i * 29 + 1);
    }
    Bytes16 cipher{}, last{}, back{}, first{};
    aes_encrypt_128(block.data(), cipher.data(), key.data(), last.data());
    EXPECT_NE(cipher, block) << trial;
    aes_decrypt_128(cipher.data(), back.data(), last.data(), first.data());
    EXPECT_EQ(back, block) << trial;
    EXPECT_EQ(first, key) << trial;
  }
}

// Deciphering keeps the schedules of recent keys in sets of two. Keys whose
// four words are the same words in another order share a set; three of them
// taking turns must each still decipher under its own schedule, and so must
// many keys in a row, more than the table holds (2048), visited twice.
TEST_P(Aes128Decipher, DeciphersUnderTheKeyGivenWhateverCameBefore) {
  struct Sealed {
    Bytes16 last, cipher, plain, key;
  };
  std::vector<Sealed> sealed;
  auto seal = [&](const Bytes16& key, int n) {
    Sealed s{};
    s.key = key;
    for (std::size_t i = 0; i < 16; ++i) s.plain[i] = static_cast<std::uint8_t>(n * 13 + i);
    aes_encrypt_128(s.plain.data(), s.cipher.data(), key.data(), s.last.data());
    sealed.push_back(s);
  };
  for (int n = 0; n < 8; ++n) {
    // Last round keys a, b and c with their words turned: only their cipher
    // keys are found by deciphering, so work back from the last keys.
    Bytes16 a{}, b{}, c{};
    for (std::size_t i = 0; i < 16; ++i) a[i] = static_cast<std::uint8_t>(n * 31 + i * 7 + 1);
    for (std::size_t i = 0; i < 16; ++i) b[i] = a[(i + 4) % 16];
    for (std::size_t i = 0; i < 16; ++i) c[i] = a[(i + 8) % 16];
    for (const Bytes16* last : {&a, &b, &c}) {
      Bytes16 scratch{}, key{};
      aes_decrypt_128(scratch.data(), scratch.data(), last->data(), key.data());
      seal(key, n);
    }
  }
  for (int n = 0; n < 2100; ++n) {
    Bytes16 key{};
    for (std::size_t i = 0; i < 16; ++i) key[i] = static_cast<std::uint8_t>(n * 3 + i * i);
    key[15] = static_cast<std::uint8_t>(n >> 8);
    seal(key, n);
  }
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < sealed.size(); ++i) {
      const Sealed& s = sealed[i];
      Bytes16 out{}, key{};
      aes_decrypt_128(s.cipher.data(), out.data(), s.last.data(), key.data());
      ASSERT_EQ(out, s.plain) << "pass " << pass << ", key " << i;
      ASSERT_EQ(key, s.key) << "pass " << pass << ", key " << i;
    }
  }
}

// Blocks deciphered several at a time under prepared keys give what one at
// a time gives, on each path: batches of every size, in place and out of
// place, keys repeated within a batch.
TEST_P(Aes128Decipher, ManyAtOnceDecipherAsOneAtATime) {
  seeded::Rng rng{8128};
  auto fill = [&](Bytes16& b) {
    for (std::uint8_t& x : b) x = static_cast<std::uint8_t>(rng());
  };
  for (int trial = 0; trial < 4000; ++trial) {
    const std::size_t count = 1 + rng.Below(kAesBatch);
    const bool in_place = rng.Below(2) == 0;
    Bytes16 blocks[kAesBatch], expected[kAesBatch], got[kAesBatch], key[kAesBatch];
    AesDecryptKey ready[kAesBatch];
    const std::uint8_t* in[kAesBatch];
    std::uint8_t* out[kAesBatch];
    const AesDecryptKey* under[kAesBatch];
    for (std::size_t b = 0; b < count; ++b) {
      fill(blocks[b]);
      if (b > 0 && rng.Below(4) == 0) {
        key[b] = key[b - 1];  // the key of the block before
      } else {
        fill(key[b]);
      }
      Bytes16 cipher_key{};
      aes_decrypt_128(blocks[b].data(), expected[b].data(), key[b].data(), cipher_key.data());
      aes_prepare_decrypt(key[b].data(), ready[b]);
      got[b] = blocks[b];
      in[b] = in_place ? got[b].data() : blocks[b].data();
      out[b] = got[b].data();
      under[b] = &ready[b];
    }
    aes_decrypt_128_many(count, in, out, under);
    for (std::size_t b = 0; b < count; ++b) {
      ASSERT_EQ(got[b], expected[b]) << "trial " << trial << ", block " << b << " of " << count;
    }
  }
}

// The two paths side by side on random last round keys and blocks, in place
// and out of place: the same clear block and the same cipher key.
TEST(Aes128, InstructionsAndTablesDecipherAlike) {
  if (!aes_path_available(AesPath::kInstructions)) {
    GTEST_SKIP() << "this processor has no AES instructions";
  }
  seeded::Rng rng{20261210};
  auto fill = [&](Bytes16& b) {
    for (std::uint8_t& x : b) x = static_cast<std::uint8_t>(rng());
  };
  for (int trial = 0; trial < 5000; ++trial) {
    Bytes16 last{}, block{};
    fill(last);
    fill(block);
    Bytes16 byTables{}, tablesKey{}, byInstructions = block, instructionsKey = last;
    ASSERT_TRUE(aes_use_path(AesPath::kTables));
    aes_decrypt_128(block.data(), byTables.data(), last.data(), tablesKey.data());
    ASSERT_TRUE(aes_use_path(AesPath::kInstructions));
    aes_decrypt_128(byInstructions.data(), byInstructions.data(), instructionsKey.data(),
                    instructionsKey.data());
    ASSERT_EQ(byInstructions, byTables) << "trial " << trial;
    ASSERT_EQ(instructionsKey, tablesKey) << "trial " << trial;
  }
}

}  // namespace
}  // namespace jex
