// Layout of store.dat and the operations on a mapped view of it. Nothing here
// calls the system: environment.cpp opens, maps, locks and flushes.
//
//   header  (one page)     magic, format, geometry, checksum; never changes
//   entries ENV_MAX_KEYS   open-addressing hash table of keys, 144 bytes each
//   slots   2 per entry    the value's current copy and its spare
//
// An entry's state word says which slot is current. A writer fills the spare
// slot and then stores the new state in one aligned 32-bit write, so a
// reader or a crash sees the old value or the new one, never a mixture.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "environment.h"

namespace envstore {

constexpr uint32_t kFormat = 1;
constexpr uint32_t kKeyField = ENV_MAX_KEY + 1;
constexpr uint32_t kHeaderSize = 4096;

struct Header {
  char magic[8];
  uint32_t format;
  uint32_t header_size;
  uint32_t max_keys;
  uint32_t key_field;
  uint32_t max_value;
  uint32_t entry_size;
  uint32_t slot_size;
  uint32_t file_size;
  uint32_t crc;  // of everything above
};

// state: 0 = free; else bits 2..31 version (never 0), bit 1 lost, bit 0 slot.
// Key fields are written before the first state and never change after,
// except key_len dropping to 0 when a damaged key is dropped.
struct Entry {
  uint32_t state;
  uint32_t key_hash;
  uint32_t key_len;
  uint32_t key_crc;  // of key_len and the key's bytes
  char key[kKeyField];
};

struct Slot {
  uint32_t version;
  uint32_t length;
  uint32_t crc;  // of the entry's index, version, length and data
  uint32_t reserved;
  uint8_t data[ENV_MAX_VALUE];
};

constexpr uint32_t kEntriesOffset = kHeaderSize;
constexpr uint32_t kSlotsOffset = kEntriesOffset + ENV_MAX_KEYS * sizeof(Entry);
constexpr uint32_t kFileSize = kSlotsOffset + 2 * ENV_MAX_KEYS * sizeof(Slot);

static_assert(sizeof(Header) <= kHeaderSize, "header fits its page");
static_assert(sizeof(Entry) % 4 == 0 && sizeof(Slot) % 4 == 0, "state words stay aligned");

constexpr uint32_t kLost = 2;
constexpr uint32_t StateVersion(uint32_t s) { return s >> 2; }
constexpr uint32_t StateSlot(uint32_t s) { return s & 1; }
constexpr bool StateLost(uint32_t s) { return (s & kLost) != 0; }
constexpr uint32_t MakeState(uint32_t version, uint32_t slot, bool lost) {
  return (version << 2) | (lost ? kLost : 0) | slot;
}
// Versions wrap within 30 bits and skip 0, so a used state is never 0.
constexpr uint32_t NextVersion(uint32_t v) {
  uint32_t n = (v + 1) & 0x3FFFFFFF;
  return n ? n : 1;
}

uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);
// Fills a header page (kHeaderSize bytes) for a fresh store of this layout.
void InitHeaderPage(void* page);
uint32_t KeyHash(const char* key, uint32_t len);
uint32_t KeyCrc(const char* key, uint32_t len);
uint32_t ValueCrc(uint32_t index, uint32_t version, const void* data, uint32_t len);

enum class HeaderCheck { kOk, kDamaged, kForeign };

enum class ReadResult { kOk, kLost, kCorrupt, kBusy, kFree };

enum class EntryCheck { kFree, kOk, kDead, kLost, kBadKey, kBadValue, kOrphan };

inline bool IsDamage(EntryCheck c) {
  return c == EntryCheck::kBadKey || c == EntryCheck::kBadValue || c == EntryCheck::kOrphan;
}

class View {
 public:
  explicit View(void* base = nullptr) : base_(static_cast<uint8_t*>(base)) {}

  uint8_t* base() const { return base_; }
  Header* header() const { return reinterpret_cast<Header*>(base_); }
  Entry* entry(uint32_t i) const {
    return reinterpret_cast<Entry*>(base_ + kEntriesOffset) + i;
  }
  Slot* slot(uint32_t i, uint32_t s) const {
    return reinterpret_cast<Slot*>(base_ + kSlotsOffset) + (2 * i + s);
  }

  HeaderCheck CheckHeader() const;
  // A fresh, empty store: header written, every entry free.
  void Reset() const;

  // Index of the entry holding key, or -1 when there is none.
  int Find(const char* key, uint32_t len, uint32_t hash) const;
  // For writers (under the lock): the entry holding key, else the free entry
  // where it goes (*found false), or -1 when the table is full.
  int FindForWrite(const char* key, uint32_t len, uint32_t hash, bool* found) const;

  // Copies entry i's current value into out (ENV_MAX_VALUE bytes) and checks
  // it: the value is delivered only when its checksum holds and its state
  // did not change during the copy.
  ReadResult Read(uint32_t i, void* out, uint32_t* len) const;

  EntryCheck Check(uint32_t i) const;
  // Makes a damaged entry harmless: a bad value reads as lost, a bad or
  // orphaned key is dropped (the entry stays occupied so that the probe
  // chains through it still hold).
  void Fix(uint32_t i, EntryCheck c) const;

  // Writer, under the lock: fills the spare slot of entry i (and its key,
  // when the entry is new) and returns the state that publishes it.
  uint32_t Prepare(uint32_t i, bool found, const char* key, uint32_t key_len, uint32_t hash,
                   const void* data, uint32_t len) const;
  void Publish(uint32_t i, uint32_t state) const;

 private:
  bool Matches(const Entry* e, const char* key, uint32_t len, uint32_t hash) const;
  uint8_t* base_;
};

}  // namespace envstore
