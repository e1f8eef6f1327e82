// The receiver's store of paired sensors, packet handling, paired-sensor
// file and request datagram.
#include "jex2csv/JexRx.h"

#include <bit>
#include <cerrno>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "jex2csv/aes.h"

namespace jex {

JexDeviceInfo_t jexDeviceInfo[kJexMaxDevices];
JexEntry_t jexEntries[kJexMaxDevices];
std::uint32_t pairedDevices = 0;
JexDevicePairedCB_t JexDevicePairedCB = nullptr;

namespace {

constexpr std::int8_t kPktPairing = 0;
constexpr std::int8_t kPktName = 4;
constexpr std::size_t kNameChars = kJexNameSize - 1;  // the 16th byte is the terminator
constexpr std::size_t kFieldSize = 32;                // user name and password fields

// Where the fields of the request datagram start: "<", user name, password,
// receiver address (6 bytes), time, sensor id, two zero bytes, ">".
constexpr std::size_t kPetUserAt = 1;
constexpr std::size_t kPetPasswordAt = kPetUserAt + kFieldSize;
constexpr std::size_t kPetMacAt = kPetPasswordAt + kFieldSize;
constexpr std::size_t kPetTimeAt = kPetMacAt + 6;
constexpr std::size_t kPetSensorAt = kPetTimeAt + 4;
constexpr std::size_t kPetZerosAt = kPetSensorAt + 4;
static_assert(kPetZerosAt + 3 == kPetitionSize, "the fields fill the request datagram");

void TellPaired() {
  if (JexDevicePairedCB != nullptr) JexDevicePairedCB(pairedDevices);
}

void EncodeInfo(const JexInfo_t& info, std::uint8_t (&rec)[kJexInfoRecord]) {
  std::memset(rec, 0, sizeof rec);
  PackLE32(rec, info.address);
  std::memcpy(rec + 4, info.key, kJexKeySize);
  std::memcpy(rec + 20, info.name, kJexNameSize);
}

void DecodeInfo(const std::uint8_t (&rec)[kJexInfoRecord], JexInfo_t& info) {
  info.address = UnpackLE32(rec, 0);
  std::memcpy(info.key, rec + 4, kJexKeySize);
  std::memcpy(info.name, rec + 20, kJexNameSize);
  // A damaged file may hold 16 name bytes without a terminator.
  info.name[kNameChars] = '\0';
}

bool NameByteKept(std::uint8_t b) {
  return b == ' ' || b == '-' || (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') ||
         (b >= 'a' && b <= 'z');
}

// Moves file back to the start of the record that holds its current
// position and gives that offset in start. False when the position cannot be
// told or set.
bool SeekRecordStart(std::FILE* file, long& start) {
  const long here = std::ftell(file);
  if (here < 0) return false;
  start = here - here % static_cast<long>(kJexInfoRecord);
  return std::fseek(file, start, SEEK_SET) == 0;
}

// Adds one record to the end of the paired-sensor file. The record goes to
// the last record boundary, so a torn record left at the end of the file by
// an interrupted write is overwritten instead of shifting every later record.
void AppendInfoRecord(const JexInfo_t& info) {
  std::FILE* file = std::fopen(kJexInfoFileName, "r+b");
  if (file == nullptr && errno == ENOENT) file = std::fopen(kJexInfoFileName, "w+b");
  if (file == nullptr) return;
  if (std::fseek(file, 0, SEEK_END) == 0) JexAddInfoToFile(file, &info);
  std::fclose(file);
}

// Copies a 32-byte field byte for byte, zero bytes and what follows them
// included; no field at all gives 32 zero bytes.
void CopyField(std::uint8_t* field, const void* given) {
  if (given == nullptr) {
    std::memset(field, 0, kFieldSize);
    return;
  }
  std::memcpy(field, given, kFieldSize);
}

}  // namespace

void JexEraseInfo(JexInfo_t* info) {
  if (info != nullptr) *info = JexInfo_t{};
}

void JexEraseEntry(JexEntry_t* entry) {
  if (entry != nullptr) *entry = JexEntry_t{};
}

void JexEraseDeviceInfo(JexDeviceInfo_t* device) {
  if (device == nullptr) return;
  JexEraseInfo(&device->info);
  JexEraseEntry(device->entry[0]);
}

void JexInitDeviceInfo() {
  for (int i = 0; i < kJexMaxDevices; ++i) {
    jexDeviceInfo[i].entry[0] = &jexEntries[i];
    JexEraseDeviceInfo(&jexDeviceInfo[i]);
  }
}

void JexRxInit() {
  JexDevicePairedCB = nullptr;
  pairedDevices = 0;
  JexInitDeviceInfo();
  JexLoadInfoFile();
}

void JexSetDevicePairedCB(JexDevicePairedCB_t CallBack) {
  JexDevicePairedCB = CallBack;
  TellPaired();
}

JexDeviceInfo_t* JexSearchInfo(std::uint32_t address) {
  if (address == 0) return nullptr;
  // Every slot is compared, without leaving early: packets of many sensors
  // take turns, and a search whose length changes from packet to packet
  // costs more in mispredicted branches than the few extra comparisons. The
  // comparisons set one bit each, independent of each other; the first
  // slot that holds the address wins.
  static_assert(kJexMaxDevices <= 32, "one bit per slot");
  std::uint32_t hits = 0;
  for (int i = 0; i < kJexMaxDevices; ++i) {
    hits |= static_cast<std::uint32_t>(jexDeviceInfo[i].info.address == address) << i;
  }
  return hits != 0 ? &jexDeviceInfo[std::countr_zero(hits)] : nullptr;
}

const char* JexGetName(std::uint32_t address) {
  const JexDeviceInfo_t* device = JexSearchInfo(address);
  return device != nullptr ? device->info.name : nullptr;
}

JexEntry_t* JexGetLast(std::uint32_t address, std::uint32_t offset) {
  if (offset != 0) return nullptr;
  JexDeviceInfo_t* device = JexSearchInfo(address);
  if (device == nullptr || device->entry[0] == nullptr) return nullptr;
  if (device->entry[0]->time == kDateTimeNone) return nullptr;
  return device->entry[0];
}

void JexAddNewInfo(const JexInfo_t* newInfo) {
  if (newInfo == nullptr || newInfo->address == 0) return;
  // Copy first: newInfo may be a slot of the store that the steps below move.
  JexInfo_t info = *newInfo;
  // A stored name is always text: the 16th byte is its terminator.
  info.name[kNameChars] = '\0';
  for (JexDeviceInfo_t& device : jexDeviceInfo) {
    if (device.info.address != info.address) continue;
    JexEraseDeviceInfo(&device);
    --pairedDevices;
    TellPaired();
  }
  for (JexDeviceInfo_t& device : jexDeviceInfo) {
    if (device.info.address != 0) continue;
    device.info = info;
    ++pairedDevices;
    TellPaired();
    return;
  }
  // Store full: the sensor of slot 0 makes way; the others move down with
  // their own last packets and the freed entry goes to the newcomer.
  JexEntry_t* freed = jexDeviceInfo[0].entry[0];
  for (int i = 1; i < kJexMaxDevices; ++i) jexDeviceInfo[i - 1] = jexDeviceInfo[i];
  JexEraseEntry(freed);
  JexDeviceInfo_t& last = jexDeviceInfo[kJexMaxDevices - 1];
  last.entry[0] = freed;
  last.info = info;
  TellPaired();
}

bool JexLoadInfoFromFile(std::FILE* file, JexInfo_t* read) {
  if (file == nullptr || read == nullptr) return false;
  long start = 0;
  if (!SeekRecordStart(file, start)) return false;
  std::uint8_t rec[kJexInfoRecord];
  if (std::fread(rec, 1, sizeof rec, file) != sizeof rec) {
    std::fseek(file, start, SEEK_SET);
    return false;
  }
  DecodeInfo(rec, *read);
  return true;
}

bool JexAddInfoToFile(std::FILE* file, const JexInfo_t* info) {
  if (file == nullptr || info == nullptr) return false;
  long start = 0;
  if (!SeekRecordStart(file, start)) return false;
  std::uint8_t rec[kJexInfoRecord];
  EncodeInfo(*info, rec);
  return std::fwrite(rec, 1, sizeof rec, file) == sizeof rec;
}

void JexLoadInfoFile() {
  std::FILE* file = std::fopen(kJexInfoFileName, "rb");
  if (file == nullptr) return;
  JexInfo_t info;
  while (JexLoadInfoFromFile(file, &info)) JexAddNewInfo(&info);
  std::fclose(file);
}

void JexSaveInfoFile() {
  std::FILE* file = std::fopen(kJexInfoFileName, "wb");
  if (file == nullptr) return;
  for (const JexDeviceInfo_t& device : jexDeviceInfo) {
    if (!JexAddInfoToFile(file, &device.info)) break;
  }
  std::fclose(file);
}

namespace {

// JexAddEntry with the time given.
void AddEntryAt(JexDeviceInfo_t* device, const JexPacket_t* pkt, DateTime time) {
  JexEntry_t& entry = *device->entry[0];
  entry.time = time;
  entry.rssi = pkt->rssi;
  entry.pktType = pkt->pktType;
  std::memcpy(entry.data, pkt->data, kPayloadSize);
}

}  // namespace

void JexAddEntry(JexDeviceInfo_t* device, const JexPacket_t* pkt) {
  if (device == nullptr || pkt == nullptr || device->entry[0] == nullptr) return;
  AddEntryAt(device, pkt, RtcNow());
}

bool JexDecodePkt(JexPacket_t* pkt) {
  if (pkt == nullptr) return false;
  JexDeviceInfo_t* device = JexSearchInfo(pkt->address);
  if (device == nullptr) return false;
  // The cipher key that deciphering walks back to is not needed; it must not
  // overwrite the stored key.
  std::uint8_t cipherKey[kJexKeySize];
  aes_decrypt_128(pkt->data, pkt->data, device->info.key, cipherKey);
  JexAddEntry(device, pkt);
  return true;
}

void JexInfoPktDetected(const JexPacket_t* pkt) {
  if (pkt == nullptr) return;
  if (pkt->pktType == kPktPairing) {
    JexInfo_t info;
    info.address = pkt->address;
    std::memcpy(info.key, pkt->data, kJexKeySize);
    JexAddNewInfo(&info);
    AppendInfoRecord(info);
    return;
  }
  if (pkt->pktType != kPktName) return;
  JexDeviceInfo_t* device = JexSearchInfo(pkt->address);
  if (device == nullptr) return;
  char* name = device->info.name;
  std::memset(name, 0, kJexNameSize);
  for (std::size_t i = 0; i < kNameChars && pkt->data[i] != 0; ++i) {
    name[i] = NameByteKept(pkt->data[i]) ? static_cast<char>(pkt->data[i]) : '_';
  }
  AppendInfoRecord(device->info);
}

JexPacket_t* JexReadPacket(JexPacket_t* pkt) {
  if (pkt == nullptr) return nullptr;
  switch (pkt->pktType) {
    case 1:
    case 2:
    case 3:
      return pkt;
    case -1:
    case -2:
    case -3:
      if (!JexDecodePkt(pkt)) return nullptr;
      pkt->pktType = static_cast<std::int8_t>(-pkt->pktType);
      return pkt;
    case kPktPairing:
    case kPktName:
      JexInfoPktDetected(pkt);
      return nullptr;
    default:
      return nullptr;
  }
}

namespace {

// The store as runs of packets see it: the slots' addresses side by side,
// for finding many senders in a row (the same answer as JexSearchInfo while
// the store stays as it was when they were gathered), and each slot's
// deciphering schedule, worked out when the slot's sender is first met and
// kept from run to run while the slot holds the same key.
class StoreView {
 public:
  void Gather() {
    for (int i = 0; i < kJexMaxDevices; ++i) address_[i] = jexDeviceInfo[i].info.address;
  }

  // The slot of address, or -1.
  int Find(std::uint32_t address) const {
    if (address == 0) return -1;
    std::uint32_t hits = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(address));
    for (int i = 0; i < kJexMaxDevices; i += 4) {
      const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(address_ + i));
      const int match = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(four, wanted)));
      hits |= static_cast<std::uint32_t>(match) << i;
    }
#else
    for (int i = 0; i < kJexMaxDevices; ++i) {
      hits |= static_cast<std::uint32_t>(address_[i] == address) << i;
    }
#endif
    return hits != 0 ? std::countr_zero(hits) : -1;
  }

  const AesDecryptKey* KeyOf(int slot) {
    const std::uint8_t* key = jexDeviceInfo[slot].info.key;
    if (!made_[slot] || std::memcmp(from_[slot], key, kJexKeySize) != 0) {
      aes_prepare_decrypt(key, keys_[slot]);
      std::memcpy(from_[slot], key, kJexKeySize);
      made_[slot] = true;
    }
    return &keys_[slot];
  }

 private:
  static_assert(kJexMaxDevices % 4 == 0, "slots compared four at a time");
  std::uint32_t address_[kJexMaxDevices] = {};
  bool made_[kJexMaxDevices] = {};
  std::uint8_t from_[kJexMaxDevices][kJexKeySize] = {};  // the key each schedule was made from
  AesDecryptKey keys_[kJexMaxDevices];
};

StoreView storeView;

}  // namespace

void JexReadPackets(JexPacket_t* pkts, std::size_t count, bool* kept) {
  StoreView& store = storeView;
  store.Gather();
  // Enciphered packets of paired senders wait here to be deciphered
  // together. Only another kind of packet can change the store, so the
  // waiting ones are finished first whenever one comes.
  JexPacket_t* waiting[kAesBatch];
  JexDeviceInfo_t* senders[kAesBatch];
  const AesDecryptKey* keys[kAesBatch];
  std::size_t n = 0;
  auto finish = [&] {
    if (n == 0) return;
    std::uint8_t* data[kAesBatch];
    for (std::size_t i = 0; i < n; ++i) data[i] = waiting[i]->data;
    aes_decrypt_128_many(n, data, data, keys);
    // One reading of the clock for the batch: its packets arrived together.
    const DateTime now = RtcNow();
    for (std::size_t i = 0; i < n; ++i) {
      if (senders[i]->entry[0] != nullptr) AddEntryAt(senders[i], waiting[i], now);
      waiting[i]->pktType = static_cast<std::int8_t>(-waiting[i]->pktType);
    }
    n = 0;
  };
  for (std::size_t i = 0; i < count; ++i) {
    JexPacket_t* pkt = &pkts[i];
    if (pkt->pktType >= -3 && pkt->pktType <= -1) {
      const int slot = store.Find(pkt->address);
      kept[i] = slot >= 0;
      if (slot < 0) continue;
      waiting[n] = pkt;
      senders[n] = &jexDeviceInfo[slot];
      keys[n] = store.KeyOf(slot);
      if (++n == kAesBatch) finish();
      continue;
    }
    finish();
    kept[i] = JexReadPacket(pkt) != nullptr;
    store.Gather();  // a pairing may have changed the store
  }
  finish();
}

void MakeKey(void* buffer, const void* mac, std::uint32_t sId) {
  auto* key = static_cast<std::uint8_t*>(buffer);
  std::memcpy(key, mac, 6);
  std::memcpy(key + 6, mac, 6);
  PackLE32(key + 12, sId);
}

void UdpMakePetition(void* datagram, std::uint32_t time, const void* destMac, const void* un,
                     const void* pw, std::uint32_t sId) {
  auto* buffer = static_cast<std::uint8_t*>(datagram);
  std::uint8_t key[kJexKeySize];
  MakeKey(key, destMac, sId);
  // Walk the key back five times through the expansion; the block deciphered
  // on the way is of no use.
  std::uint8_t scratch[kAesBlockSize] = {};
  for (int i = 0; i < 5; ++i) aes_decrypt_128(scratch, scratch, key, key);

  buffer[0] = '<';
  CopyField(buffer + kPetUserAt, un);
  CopyField(buffer + kPetPasswordAt, pw);
  std::memcpy(buffer + kPetMacAt, destMac, 6);
  PackLE32(buffer + kPetTimeAt, time);
  PackLE32(buffer + kPetSensorAt, sId);
  buffer[kPetZerosAt] = 0;
  buffer[kPetZerosAt + 1] = 0;
  buffer[kPetitionSize - 1] = '>';

  // Bytes 1 to 80 in five blocks, the last first, each under the last round
  // key that the one before left.
  for (std::size_t block = 5; block-- > 0;) {
    std::uint8_t* at = buffer + kPetUserAt + block * kAesBlockSize;
    aes_encrypt_128(at, at, key, key);
  }
}

}  // namespace jex
