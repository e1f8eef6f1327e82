// AES-128 block cipher with the round keys derived as the rounds go, forwards
// when enciphering and backwards when deciphering.
#include "jex2csv/aes.h"

#include <array>
#include <cstddef>
#include <cstring>

// x86 processors may have AES instructions; the code that uses them is
// compiled for them alone and called only after the processor said it has
// them, so the program still runs on every x86 processor.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define JEX_AES_INSTRUCTIONS 1
#include <wmmintrin.h>
#endif

#include "jex2csv/JexUtils.h"

namespace jex {
namespace {

using Block = std::uint8_t[16];

constexpr std::uint8_t kSbox[256] = {
    0x63, 0x7c, 0x77, 0x7b, 0xf2, 0x6b, 0x6f, 0xc5, 0x30, 0x01, 0x67, 0x2b, 0xfe, 0xd7, 0xab, 0x76,
    0xca, 0x82, 0xc9, 0x7d, 0xfa, 0x59, 0x47, 0xf0, 0xad, 0xd4, 0xa2, 0xaf, 0x9c, 0xa4, 0x72, 0xc0,
    0xb7, 0xfd, 0x93, 0x26, 0x36, 0x3f, 0xf7, 0xcc, 0x34, 0xa5, 0xe5, 0xf1, 0x71, 0xd8, 0x31, 0x15,
    0x04, 0xc7, 0x23, 0xc3, 0x18, 0x96, 0x05, 0x9a, 0x07, 0x12, 0x80, 0xe2, 0xeb, 0x27, 0xb2, 0x75,
    0x09, 0x83, 0x2c, 0x1a, 0x1b, 0x6e, 0x5a, 0xa0, 0x52, 0x3b, 0xd6, 0xb3, 0x29, 0xe3, 0x2f, 0x84,
    0x53, 0xd1, 0x00, 0xed, 0x20, 0xfc, 0xb1, 0x5b, 0x6a, 0xcb, 0xbe, 0x39, 0x4a, 0x4c, 0x58, 0xcf,
    0xd0, 0xef, 0xaa, 0xfb, 0x43, 0x4d, 0x33, 0x85, 0x45, 0xf9, 0x02, 0x7f, 0x50, 0x3c, 0x9f, 0xa8,
    0x51, 0xa3, 0x40, 0x8f, 0x92, 0x9d, 0x38, 0xf5, 0xbc, 0xb6, 0xda, 0x21, 0x10, 0xff, 0xf3, 0xd2,
    0xcd, 0x0c, 0x13, 0xec, 0x5f, 0x97, 0x44, 0x17, 0xc4, 0xa7, 0x7e, 0x3d, 0x64, 0x5d, 0x19, 0x73,
    0x60, 0x81, 0x4f, 0xdc, 0x22, 0x2a, 0x90, 0x88, 0x46, 0xee, 0xb8, 0x14, 0xde, 0x5e, 0x0b, 0xdb,
    0xe0, 0x32, 0x3a, 0x0a, 0x49, 0x06, 0x24, 0x5c, 0xc2, 0xd3, 0xac, 0x62, 0x91, 0x95, 0xe4, 0x79,
    0xe7, 0xc8, 0x37, 0x6d, 0x8d, 0xd5, 0x4e, 0xa9, 0x6c, 0x56, 0xf4, 0xea, 0x65, 0x7a, 0xae, 0x08,
    0xba, 0x78, 0x25, 0x2e, 0x1c, 0xa6, 0xb4, 0xc6, 0xe8, 0xdd, 0x74, 0x1f, 0x4b, 0xbd, 0x8b, 0x8a,
    0x70, 0x3e, 0xb5, 0x66, 0x48, 0x03, 0xf6, 0x0e, 0x61, 0x35, 0x57, 0xb9, 0x86, 0xc1, 0x1d, 0x9e,
    0xe1, 0xf8, 0x98, 0x11, 0x69, 0xd9, 0x8e, 0x94, 0x9b, 0x1e, 0x87, 0xe9, 0xce, 0x55, 0x28, 0xdf,
    0x8c, 0xa1, 0x89, 0x0d, 0xbf, 0xe6, 0x42, 0x68, 0x41, 0x99, 0x2d, 0x0f, 0xb0, 0x54, 0xbb, 0x16};

constexpr std::uint8_t kInvSbox[256] = {
    0x52, 0x09, 0x6a, 0xd5, 0x30, 0x36, 0xa5, 0x38, 0xbf, 0x40, 0xa3, 0x9e, 0x81, 0xf3, 0xd7, 0xfb,
    0x7c, 0xe3, 0x39, 0x82, 0x9b, 0x2f, 0xff, 0x87, 0x34, 0x8e, 0x43, 0x44, 0xc4, 0xde, 0xe9, 0xcb,
    0x54, 0x7b, 0x94, 0x32, 0xa6, 0xc2, 0x23, 0x3d, 0xee, 0x4c, 0x95, 0x0b, 0x42, 0xfa, 0xc3, 0x4e,
    0x08, 0x2e, 0xa1, 0x66, 0x28, 0xd9, 0x24, 0xb2, 0x76, 0x5b, 0xa2, 0x49, 0x6d, 0x8b, 0xd1, 0x25,
    0x72, 0xf8, 0xf6, 0x64, 0x86, 0x68, 0x98, 0x16, 0xd4, 0xa4, 0x5c, 0xcc, 0x5d, 0x65, 0xb6, 0x92,
    0x6c, 0x70, 0x48, 0x50, 0xfd, 0xed, 0xb9, 0xda, 0x5e, 0x15, 0x46, 0x57, 0xa7, 0x8d, 0x9d, 0x84,
    0x90, 0xd8, 0xab, 0x00, 0x8c, 0xbc, 0xd3, 0x0a, 0xf7, 0xe4, 0x58, 0x05, 0xb8, 0xb3, 0x45, 0x06,
    0xd0, 0x2c, 0x1e, 0x8f, 0xca, 0x3f, 0x0f, 0x02, 0xc1, 0xaf, 0xbd, 0x03, 0x01, 0x13, 0x8a, 0x6b,
    0x3a, 0x91, 0x11, 0x41, 0x4f, 0x67, 0xdc, 0xea, 0x97, 0xf2, 0xcf, 0xce, 0xf0, 0xb4, 0xe6, 0x73,
    0x96, 0xac, 0x74, 0x22, 0xe7, 0xad, 0x35, 0x85, 0xe2, 0xf9, 0x37, 0xe8, 0x1c, 0x75, 0xdf, 0x6e,
    0x47, 0xf1, 0x1a, 0x71, 0x1d, 0x29, 0xc5, 0x89, 0x6f, 0xb7, 0x62, 0x0e, 0xaa, 0x18, 0xbe, 0x1b,
    0xfc, 0x56, 0x3e, 0x4b, 0xc6, 0xd2, 0x79, 0x20, 0x9a, 0xdb, 0xc0, 0xfe, 0x78, 0xcd, 0x5a, 0xf4,
    0x1f, 0xdd, 0xa8, 0x33, 0x88, 0x07, 0xc7, 0x31, 0xb1, 0x12, 0x10, 0x59, 0x27, 0x80, 0xec, 0x5f,
    0x60, 0x51, 0x7f, 0xa9, 0x19, 0xb5, 0x4a, 0x0d, 0x2d, 0xe5, 0x7a, 0x9f, 0x93, 0xc9, 0x9c, 0xef,
    0xa0, 0xe0, 0x3b, 0x4d, 0xae, 0x2a, 0xf5, 0xb0, 0xc8, 0xeb, 0xbb, 0x3c, 0x83, 0x53, 0x99, 0x61,
    0x17, 0x2b, 0x04, 0x7e, 0xba, 0x77, 0xd6, 0x26, 0xe1, 0x69, 0x14, 0x63, 0x55, 0x21, 0x0c, 0x7d};

// Round constants; entry r is used when moving between round keys r-1 and r.
constexpr std::uint8_t kRcon[11] = {0x00, 0x01, 0x02, 0x04, 0x08, 0x10,
                                    0x20, 0x40, 0x80, 0x1b, 0x36};

// Round key r-1 becomes round key r (forward step of the expansion).
void NextRoundKey(Block& k, int r) {
  k[0] ^= static_cast<std::uint8_t>(kSbox[k[13]] ^ kRcon[r]);
  k[1] ^= kSbox[k[14]];
  k[2] ^= kSbox[k[15]];
  k[3] ^= kSbox[k[12]];
  for (int i = 4; i < 16; ++i) k[i] ^= k[i - 4];
}

void AddRoundKey(Block& s, const Block& k) {
  for (int i = 0; i < 16; ++i) s[i] ^= k[i];
}

// The state is column-major: byte 4*c + r is row r of column c.
// ShiftRows moves row r of column (c + r) mod 4 to column c: byte i of the
// result comes from byte kShifted[i].
constexpr std::uint8_t kShifted[16] = {0, 5, 10, 15, 4, 9, 14, 3, 8, 13, 2, 7, 12, 1, 6, 11};

void SubBytesShiftRows(Block& s) {
  Block t;
  for (int i = 0; i < 16; ++i) t[i] = kSbox[s[kShifted[i]]];
  std::memcpy(s, t, sizeof t);
}

// A column as one word, row r in bits 8r to 8r+7, whatever the machine's
// byte order: its four bytes read and written least significant first.
std::uint32_t LoadColumn(const std::uint8_t* col) { return UnpackLE32(col, 0); }

// xtime of the four bytes of a word at once.
inline std::uint32_t Xtime4(std::uint32_t w) {
  return ((w & 0x7f7f7f7fu) << 1) ^ (((w >> 7) & 0x01010101u) * 0x1bu);
}

// Row r of the result takes row r+n (mod 4) of w.
inline std::uint32_t RotRows(std::uint32_t w, int n) {
  return (w >> (8 * n)) | (w << (32 - 8 * n));
}

// Row r becomes 2·a[r] + 3·a[r+1] + a[r+2] + a[r+3], that is
// a[r] + (a0+a1+a2+a3) + xtime(a[r] + a[r+1]).
inline std::uint32_t MixColumn(std::uint32_t a) {
  const std::uint32_t t = a ^ RotRows(a, 1);
  return a ^ t ^ RotRows(t, 2) ^ Xtime4(t);
}

void MixColumns(Block& s) {
  for (int c = 0; c < 4; ++c) PackLE32(s + 4 * c, MixColumn(LoadColumn(s + 4 * c)));
}

// Deciphering tables: kInvTable[0][x] is the column that InvMixColumns makes
// of InvSubBytes(x) standing in row 0 alone; kInvTable[r] is the same for
// row r, which is kInvTable[0] with its rows turned down by r.
constexpr std::uint8_t Gmul(std::uint8_t a, std::uint8_t b) {
  std::uint8_t p = 0;
  for (; b != 0; b = static_cast<std::uint8_t>(b >> 1)) {
    if (b & 1) p = static_cast<std::uint8_t>(p ^ a);
    a = static_cast<std::uint8_t>((a << 1) ^ ((a & 0x80) ? 0x1b : 0x00));
  }
  return p;
}
constexpr auto kInvTable = [] {
  std::array<std::array<std::uint32_t, 256>, 4> t{};
  for (int x = 0; x < 256; ++x) {
    const std::uint8_t v = kInvSbox[x];
    const std::uint32_t w = static_cast<std::uint32_t>(Gmul(v, 14)) |
                            (static_cast<std::uint32_t>(Gmul(v, 9)) << 8) |
                            (static_cast<std::uint32_t>(Gmul(v, 13)) << 16) |
                            (static_cast<std::uint32_t>(Gmul(v, 11)) << 24);
    for (int r = 0; r < 4; ++r)
      t[static_cast<std::size_t>(r)][static_cast<std::size_t>(x)] =
          r == 0 ? w : (w << (8 * r)) | (w >> (32 - 8 * r));
  }
  return t;
}();

// Round key r becomes round key r-1 (the expansion run backwards), a key
// held as four column words.
inline void PrevRoundKeyWords(std::uint32_t (&k)[4], int r) {
  k[3] ^= k[2];
  k[2] ^= k[1];
  k[1] ^= k[0];
  const std::uint32_t t = RotRows(k[3], 1);
  k[0] ^= (static_cast<std::uint32_t>(kSbox[t & 0xff]) ^ kRcon[r]) |
          (static_cast<std::uint32_t>(kSbox[(t >> 8) & 0xff]) << 8) |
          (static_cast<std::uint32_t>(kSbox[(t >> 16) & 0xff]) << 16) |
          (static_cast<std::uint32_t>(kSbox[t >> 24]) << 24);
}

// InvMixColumns of a round key column: kInvTable undoes its own
// InvSubBytes when given SubBytes of each byte.
inline std::uint32_t InvMixKeyColumn(std::uint32_t k) {
  return kInvTable[0][kSbox[k & 0xff]] ^ kInvTable[1][kSbox[(k >> 8) & 0xff]] ^
         kInvTable[2][kSbox[(k >> 16) & 0xff]] ^ kInvTable[3][kSbox[k >> 24]];
}

// One column of a deciphering round: row r comes from the column given
// r-th (InvShiftRows takes row r of column c from column c - r), then
// InvSubBytes and InvMixColumns by table.

inline std::uint32_t InvRoundColumn(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                    std::uint32_t d) {
  return kInvTable[0][a & 0xff] ^ kInvTable[1][(b >> 8) & 0xff] ^ kInvTable[2][(c >> 16) & 0xff] ^
         kInvTable[3][d >> 24];
}

inline std::uint32_t InvLastColumn(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                   std::uint32_t d) {
  return static_cast<std::uint32_t>(kInvSbox[a & 0xff]) |
         (static_cast<std::uint32_t>(kInvSbox[(b >> 8) & 0xff]) << 8) |
         (static_cast<std::uint32_t>(kInvSbox[(c >> 16) & 0xff]) << 16) |
         (static_cast<std::uint32_t>(kInvSbox[d >> 24]) << 24);
}

// The deciphering schedule of a last round key: InvMixColumns of round
// keys 9 down to 1, and round key 0 (the cipher key). A receiver deciphers
// packet after packet under the same few keys (a store holds 20), so the
// schedules of recent keys are kept in a table of sets of two, the set
// chosen by a hash of the key; a key finds its own schedule only when all 16
// bytes match. A new key takes the place of the one in its set used less
// recently, so two keys of one set never push each other out.
struct DecryptSchedule : AesDecryptKey {
  bool made = false;
};
constexpr int kScheduleSetBits = 10;
struct ScheduleSet {
  DecryptSchedule way[2];
  int recent = 0;  // the way used last
};
ScheduleSet schedules[std::size_t{1} << kScheduleSetBits];

// Works the expansion back from the last round key key into d.
void MakeSchedule(const std::uint32_t (&key)[4], AesDecryptKey& d) {
  std::uint32_t k[4] = {key[0], key[1], key[2], key[3]};
  for (int r = 10; r >= 2; --r) {
    PrevRoundKeyWords(k, r);
    for (int c = 0; c < 4; ++c) d.mixed[10 - r][c] = InvMixKeyColumn(k[c]);
  }
  PrevRoundKeyWords(k, 1);
  for (int c = 0; c < 4; ++c) {
    d.first[c] = k[c];
    d.last[c] = key[c];
  }
}

bool Holds(const DecryptSchedule& d, const std::uint32_t (&key)[4]) {
  return d.made && d.last[0] == key[0] && d.last[1] == key[1] && d.last[2] == key[2] &&
         d.last[3] == key[3];
}

const DecryptSchedule& ScheduleFor(const std::uint32_t (&key)[4]) {
  const std::uint32_t h = (key[0] ^ key[1] ^ key[2] ^ key[3]) * 0x9E3779B1u;
  ScheduleSet& set = schedules[h >> (32 - kScheduleSetBits)];
  if (Holds(set.way[set.recent], key)) return set.way[set.recent];
  set.recent ^= 1;
  DecryptSchedule& d = set.way[set.recent];
  if (Holds(d, key)) return d;
  MakeSchedule(key, d);
  d.made = true;
  return d;
}

// Deciphers with the tables: the state and round keys as column words.
// InvShiftRows takes row r of column c from column c - r; each middle round
// adds InvMixColumns of its round key, since
// InvMixColumns(s + k) = InvMixColumns(s) + InvMixColumns(k).
void DecryptWithTables(const std::uint8_t* in, std::uint8_t* out, const AesDecryptKey& d) {
  std::uint32_t w0 = LoadColumn(in) ^ d.last[0], w1 = LoadColumn(in + 4) ^ d.last[1];
  std::uint32_t w2 = LoadColumn(in + 8) ^ d.last[2], w3 = LoadColumn(in + 12) ^ d.last[3];
  for (const auto& m : d.mixed) {
    const std::uint32_t t0 = InvRoundColumn(w0, w3, w2, w1) ^ m[0];
    const std::uint32_t t1 = InvRoundColumn(w1, w0, w3, w2) ^ m[1];
    const std::uint32_t t2 = InvRoundColumn(w2, w1, w0, w3) ^ m[2];
    const std::uint32_t t3 = InvRoundColumn(w3, w2, w1, w0) ^ m[3];
    w0 = t0;
    w1 = t1;
    w2 = t2;
    w3 = t3;
  }
  PackLE32(out, InvLastColumn(w0, w3, w2, w1) ^ d.first[0]);
  PackLE32(out + 4, InvLastColumn(w1, w0, w3, w2) ^ d.first[1]);
  PackLE32(out + 8, InvLastColumn(w2, w1, w0, w3) ^ d.first[2]);
  PackLE32(out + 12, InvLastColumn(w3, w2, w1, w0) ^ d.first[3]);
}

#ifdef JEX_AES_INSTRUCTIONS
// Deciphers with the processor's AES instructions. Their deciphering round
// (InvShiftRows, InvSubBytes, InvMixColumns, then the round key added) wants
// the middle round keys with InvMixColumns applied, as the schedule holds
// them. On x86 a column word lies in memory as its four bytes in row order,
// so the schedule's words load as the round keys' bytes.
__attribute__((target("aes,sse2"))) void DecryptWithInstructions(const std::uint8_t* in,
                                                                 std::uint8_t* out,
                                                                 const AesDecryptKey& d) {
  auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
  __m128i s = _mm_xor_si128(load(in), load(d.last));
  for (const auto& m : d.mixed) s = _mm_aesdec_si128(s, load(m));
  s = _mm_aesdeclast_si128(s, load(d.first));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), s);
}

// kAesBatch blocks side by side: each round is given to every block before
// the next round, so the rounds of different blocks overlap in the
// processor. in and out of a block may be the same: every block is loaded
// before any is stored.
__attribute__((target("aes,sse2"))) void DecryptManyWithInstructions(
    const std::uint8_t* const* in, std::uint8_t* const* out, const AesDecryptKey* const* d) {
  auto load = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
  __m128i s[kAesBatch];
  for (std::size_t b = 0; b < kAesBatch; ++b) s[b] = _mm_xor_si128(load(in[b]), load(d[b]->last));
  for (std::size_t r = 0; r < 9; ++r) {
    for (std::size_t b = 0; b < kAesBatch; ++b) s[b] = _mm_aesdec_si128(s[b], load(d[b]->mixed[r]));
  }
  for (std::size_t b = 0; b < kAesBatch; ++b) s[b] = _mm_aesdeclast_si128(s[b], load(d[b]->first));
  for (std::size_t b = 0; b < kAesBatch; ++b) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out[b]), s[b]);
  }
}

bool ProcessorHasAes() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("aes") != 0;
}
#else
bool ProcessorHasAes() { return false; }
#endif

bool PathAvailable(AesPath path) { return path == AesPath::kTables || ProcessorHasAes(); }

// The path aes_decrypt_128 takes: the instructions wherever they exist.
bool useInstructions = PathAvailable(AesPath::kInstructions);

}  // namespace

bool aes_path_available(AesPath path) { return PathAvailable(path); }

bool aes_use_path(AesPath path) {
  if (!PathAvailable(path)) return false;
  useInstructions = path == AesPath::kInstructions;
  return true;
}

void aes_encrypt_128(const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* key,
                     std::uint8_t* o_key) {
  // Work on copies: the caller may hand the same buffer for in and out, and
  // for key and o_key.
  Block state, k;
  std::memcpy(state, in, sizeof state);
  std::memcpy(k, key, sizeof k);
  AddRoundKey(state, k);
  for (int r = 1; r <= 10; ++r) {
    SubBytesShiftRows(state);
    if (r != 10) MixColumns(state);
    NextRoundKey(k, r);
    AddRoundKey(state, k);
  }
  std::memcpy(out, state, sizeof state);
  std::memcpy(o_key, k, sizeof k);
}

void aes_decrypt_128(const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* key,
                     std::uint8_t* o_key) {
  std::uint32_t k[4];
  for (int c = 0; c < 4; ++c) k[c] = LoadColumn(key + 4 * c);
  const DecryptSchedule& d = ScheduleFor(k);
#ifdef JEX_AES_INSTRUCTIONS
  if (useInstructions) {
    DecryptWithInstructions(in, out, d);
  } else {
    DecryptWithTables(in, out, d);
  }
#else
  DecryptWithTables(in, out, d);
#endif
  for (int c = 0; c < 4; ++c) PackLE32(o_key + 4 * c, d.first[c]);
}

void aes_prepare_decrypt(const std::uint8_t* key, AesDecryptKey& ready) {
  std::uint32_t k[4];
  for (int c = 0; c < 4; ++c) k[c] = LoadColumn(key + 4 * c);
  MakeSchedule(k, ready);
}

void aes_decrypt_128_many(std::size_t count, const std::uint8_t* const* in,
                          std::uint8_t* const* out, const AesDecryptKey* const* key) {
  if (count > kAesBatch) count = kAesBatch;
#ifdef JEX_AES_INSTRUCTIONS
  if (useInstructions) {
    if (count == 0) return;
    // A short batch is filled up with a block of no use.
    std::uint8_t spare[kAesBlockSize] = {};
    const std::uint8_t* from[kAesBatch];
    std::uint8_t* to[kAesBatch];
    const AesDecryptKey* under[kAesBatch];
    for (std::size_t b = 0; b < kAesBatch; ++b) {
      from[b] = b < count ? in[b] : spare;
      to[b] = b < count ? out[b] : spare;
      under[b] = b < count ? key[b] : key[0];
    }
    DecryptManyWithInstructions(from, to, under);
    return;
  }
#endif
  for (std::size_t b = 0; b < count; ++b) DecryptWithTables(in[b], out[b], *key[b]);
}

}  // namespace jex
