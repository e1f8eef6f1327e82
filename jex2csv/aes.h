// AES-128 on one 16-byte block, with the key schedule worked out round by
// round instead of kept in a table. The receiver stores a sensor's key as the
// last round key of the expansion, so deciphering starts from that key and
// walks the expansion backwards.
#ifndef JEX2CSV_AES_H_
#define JEX2CSV_AES_H_

#include <cstddef>
#include <cstdint>

namespace jex {

inline constexpr int kAesBlockSize = 16;  // bytes in a block and in a key

// Enciphers the 16 bytes of in into out under the cipher key in key, and
// leaves in o_key the last round key (round 10) of the key expansion.
// in and out may be the same buffer; so may key and o_key.
void aes_encrypt_128(const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* key,
                     std::uint8_t* o_key);

// Deciphers the 16 bytes of in into out. key holds the last round key
// (round 10), as aes_encrypt_128 leaves it; o_key receives the cipher key
// that the expansion was started from. in and out may be the same buffer;
// so may key and o_key. The expansions of recently used keys are kept in a
// small table of this unit, so calls must not overlap in several threads.
void aes_decrypt_128(const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* key,
                     std::uint8_t* o_key);

// The deciphering schedule of a last round key, worked out once for
// deciphering many blocks under it: the last round key itself, round keys
// 9 down to 1 with InvMixColumns applied (as both deciphering paths want
// them), and round key 0, the cipher key. Column words, as LoadColumn reads
// four key bytes.
struct AesDecryptKey {
  std::uint32_t last[4] = {};
  std::uint32_t mixed[9][4] = {};
  std::uint32_t first[4] = {};
};

// Works out the schedule of the last round key key (16 bytes, as
// aes_decrypt_128 takes it) into ready.
void aes_prepare_decrypt(const std::uint8_t* key, AesDecryptKey& ready);

// Blocks that aes_decrypt_128_many deciphers at once, at most.
inline constexpr std::size_t kAesBatch = 8;

// Deciphers count blocks (at most kAesBatch) as aes_decrypt_128 would one
// after the other: block i from in[i] into out[i] under the prepared key
// key[i]. The blocks go side by side, a round of each in turn, so that the
// processor works on several at once. in[i] and out[i] may be the same
// buffer; the keys may repeat.
void aes_decrypt_128_many(std::size_t count, const std::uint8_t* const* in,
                          std::uint8_t* const* out, const AesDecryptKey* const* key);

// The ways aes_decrypt_128 deciphers a block: by lookup tables, on any
// processor, or by the processor's own AES instructions (x86 processors
// that have them). Both give the same bytes; the faster one available is
// taken when the program starts.
enum class AesPath { kTables, kInstructions };

// True when this build and this processor can decipher by path.
bool aes_path_available(AesPath path);

// Makes aes_decrypt_128 decipher by path from now on; false, changing
// nothing, when the path is not available.
bool aes_use_path(AesPath path);

}  // namespace jex

#endif  // JEX2CSV_AES_H_
