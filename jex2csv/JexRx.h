// Receiving side of the sensor kit: the store of paired sensors (address,
// key, name, last packet), the handling of each received radio packet
// (pairing, naming, deciphering), the paired-sensor file "JEX_INFO.BIN" in
// the working directory, and the enciphered request datagram of a network
// receiver.
#ifndef JEX2CSV_JEXRX_H_
#define JEX2CSV_JEXRX_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "jex2csv/JexUtils.h"

namespace jex {

inline constexpr int kJexMaxDevices = 20;          // slots in the store
inline constexpr std::size_t kJexKeySize = 16;     // key material of a sensor
inline constexpr std::size_t kJexNameSize = 16;    // name field, terminator included
inline constexpr std::size_t kJexInfoSize = 36;    // JexInfo_t in the file
inline constexpr std::size_t kJexInfoRecord = 64;  // file record: JexInfo_t + 28 zero bytes
inline constexpr std::size_t kPetitionSize = 82;   // request datagram
inline constexpr const char* kJexInfoFileName = "JEX_INFO.BIN";

// One paired sensor. In the file: address (4, little-endian), key (16),
// name (16), then 28 zero bytes. An address of 0 marks an empty record.
// key is the last round key of the sensor's AES-128 key expansion, the key
// that aes_decrypt_128 starts from.
struct JexInfo_t {
  std::uint32_t address = 0;
  std::uint8_t key[kJexKeySize] = {};
  char name[kJexNameSize] = {};  // zero-terminated; empty until a name packet
};
static_assert(sizeof(JexInfo_t) == kJexInfoSize, "a paired sensor is 36 bytes");

// The last packet of a sensor, deciphered. time is 0xFFFFFFFF while no
// packet has been stored; pktType is kept as received (negative).
struct JexEntry_t {
  DateTime time = kDateTimeNone;
  std::uint8_t rssi = 0;
  std::int8_t pktType = 0;
  std::uint8_t data[kPayloadSize] = {};
};

// One slot of the store: the sensor and its last packet. Only entry[0]
// exists; it refers into jexEntries and travels with the sensor when slots
// move.
struct JexDeviceInfo_t {
  JexInfo_t info;
  JexEntry_t* entry[1] = {nullptr};
};

// Told the number of paired sensors after each change of the store.
using JexDevicePairedCB_t = void (*)(std::uint32_t paired);

extern JexDeviceInfo_t jexDeviceInfo[kJexMaxDevices];
extern JexEntry_t jexEntries[kJexMaxDevices];
extern std::uint32_t pairedDevices;            // slots in use
extern JexDevicePairedCB_t JexDevicePairedCB;  // null when none is installed

// Removes the callback, sets the count to 0, empties the store and loads
// "JEX_INFO.BIN" from the working directory.
void JexRxInit();

// Handles one received packet. Types 1 to 3 come back unchanged. Types -1
// to -3 from a paired sensor are deciphered in place, stored as its last
// packet, turned positive and returned; from an unknown sender they are
// dropped. Types 0 (pairing) and 4 (name) update the store and the file and
// return null, as does every other type and a null pkt.
JexPacket_t* JexReadPacket(JexPacket_t* pkt);

// Handles count packets in order, each as JexReadPacket handles it, with the
// same packets and store afterwards; kept[i] tells whether JexReadPacket
// would have returned packet i. The enciphered packets of paired senders
// are deciphered several at a time (kAesBatch).
void JexReadPackets(JexPacket_t* pkts, std::size_t count, bool* kept);

// Deciphers the payload of an enciphered sensor packet in place with its
// sender's key and stores it as the sender's last packet (type left
// negative). False, with the packet untouched, when the sender is not paired.
bool JexDecodePkt(JexPacket_t* pkt);

// Stores pkt as device's last packet, stamped with RtcNow.
void JexAddEntry(JexDeviceInfo_t* device, const JexPacket_t* pkt);

// Handles a pairing packet (the payload is the key; the sensor is entered
// with an empty name and the record appended to the file) or a name packet
// (up to 15 payload bytes up to a zero byte become the paired sender's name,
// every byte other than a blank, "-", a digit or an ASCII letter replaced by
// "_"; the record is appended to the file). Name packets of unknown senders
// change nothing.
void JexInfoPktDetected(const JexPacket_t* pkt);

// Installs CallBack (null removes it); an installed callback is told the
// current count at once.
void JexSetDevicePairedCB(JexDevicePairedCB_t CallBack);

// The slot holding address, searched from slot 0, or null. Address 0 marks
// free slots and is never found.
JexDeviceInfo_t* JexSearchInfo(std::uint32_t address);

// The name of the sensor at address, or null when it is not paired.
const char* JexGetName(std::uint32_t address);

// The last packet of the sensor at address; null when it is not paired,
// offset is not 0, or nothing was stored since it was paired.
JexEntry_t* JexGetLast(std::uint32_t address, std::uint32_t offset);

// Enters a paired sensor; its name is kept to 15 characters and always
// terminated. A record with address 0 changes nothing. Slots
// already holding the address are cleared first (count down by one and the
// callback told, for each); the record then takes the first free slot
// (count up by one, callback told). With all 20 slots taken, the sensor of
// slot 0 is dropped, slots 1 to 19 move down with their last packets, and
// the record takes slot 19 with the dropped sensor's entry cleared; the
// count stays 20 and the callback is told.
void JexAddNewInfo(const JexInfo_t* newInfo);

// Enters every record of "JEX_INFO.BIN" in file order; later records of an
// address replace earlier ones. Reading stops at the first record that is
// not whole. Does nothing when the file cannot be opened.
void JexLoadInfoFile();

// Rewrites "JEX_INFO.BIN" as the 20 slots in order (1280 bytes), empty ones
// included, stopping at the first record that cannot be written. Writes
// nothing when the file cannot be created.
void JexSaveInfoFile();

// Reads the record at, or containing, the current position of file into
// *read and moves the position to the next record. False, with the position
// at that record's start, when fewer than 64 bytes remain from it.
bool JexLoadInfoFromFile(std::FILE* file, JexInfo_t* read);

// Writes *info as one 64-byte record at the record boundary at or before the
// current position of file. True when all 64 bytes were written.
bool JexAddInfoToFile(std::FILE* file, const JexInfo_t* info);

// Clears a JexInfo_t to zero bytes.
void JexEraseInfo(JexInfo_t* info);
// Marks an entry as holding no packet.
void JexEraseEntry(JexEntry_t* entry);
// Clears a slot's sensor and its last packet.
void JexEraseDeviceInfo(JexDeviceInfo_t* device);
// Gives slot i its own entry i and clears all 20 slots.
void JexInitDeviceInfo();

// Writes 16 key bytes into buffer: the 6 bytes of mac, the same 6 again,
// then sId little-endian. buffer and mac may be char or byte arrays.
void MakeKey(void* buffer, const void* mac, std::uint32_t sId);

// Fills the 82-byte request datagram and enciphers bytes 1 to 80 in place:
//   0 "<", 1 user name (32), 33 password (32), 65 destMac (6),
//   71 time (4, little-endian), 75 sId (4, little-endian), 79 two zero
//   bytes, 81 ">".
// buffer, destMac, un and pw may be char or byte arrays. un and pw are
// 32-byte fields, copied byte for byte as given (a text shorter than its
// field is padded by the caller, usually with zero bytes); null gives a
// field of zero bytes. The key comes from MakeKey(destMac, sId)
// walked back five times through the key expansion; the blocks at 65, 49,
// 33, 17 and 1 are then enciphered in that order, each under the last round
// key left by the one before.
void UdpMakePetition(void* buffer, std::uint32_t time, const void* destMac, const void* un,
                     const void* pw, std::uint32_t sId);

// The same for user name and password given as character arrays of their own
// size (a text literal such as "op"): each is copied into a 32-byte field of
// zero bytes, at most 32 of its bytes, so a short text is never read past.
template <std::size_t N, std::size_t M>
void UdpMakePetition(void* buffer, std::uint32_t time, const void* destMac, const char (&un)[N],
                     const char (&pw)[M], std::uint32_t sId) {
  char unField[32] = {};
  char pwField[32] = {};
  for (std::size_t i = 0; i < N && i < sizeof unField; ++i) unField[i] = un[i];
  for (std::size_t i = 0; i < M && i < sizeof pwField; ++i) pwField[i] = pw[i];
  UdpMakePetition(buffer, time, destMac, static_cast<const void*>(unField),
                  static_cast<const void*>(pwField), sId);
}

}  // namespace jex

#endif  // JEX2CSV_JEXRX_H_
