#include "store_format.h"

#include <string.h>

namespace envstore {
namespace {

struct CrcTable {
  uint32_t t[256];
  constexpr CrcTable() : t() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
  }
};
constexpr CrcTable kCrcTable;

// Another process may change these words at any time.
inline uint32_t LoadAcquire(const uint32_t* p) { return __atomic_load_n(p, __ATOMIC_ACQUIRE); }
inline uint32_t LoadRelaxed(const uint32_t* p) { return __atomic_load_n(p, __ATOMIC_RELAXED); }

// The fields a header of this build holds, checksum aside.
Header ExpectedHeader() {
  Header h;
  memset(&h, 0, sizeof h);
  memcpy(h.magic, "TavixEnv", 8);
  h.format = kFormat;
  h.header_size = kHeaderSize;
  h.max_keys = ENV_MAX_KEYS;
  h.key_field = kKeyField;
  h.max_value = ENV_MAX_VALUE;
  h.entry_size = sizeof(Entry);
  h.slot_size = sizeof(Slot);
  h.file_size = kFileSize;
  h.crc = Crc32(&h, offsetof(Header, crc));
  return h;
}

}  // namespace

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  while (size--) crc = kCrcTable.t[(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t KeyHash(const char* key, uint32_t len) {
  uint32_t h = 2166136261u;  // FNV-1a
  for (uint32_t i = 0; i < len; ++i) h = (h ^ static_cast<uint8_t>(key[i])) * 16777619u;
  return h;
}

uint32_t KeyCrc(const char* key, uint32_t len) {
  return Crc32(key, len, Crc32(&len, sizeof len));
}

uint32_t ValueCrc(uint32_t index, uint32_t version, const void* data, uint32_t len) {
  const uint32_t head[3] = {index, version, len};
  return Crc32(data, len, Crc32(head, sizeof head));
}

HeaderCheck View::CheckHeader() const {
  const Header want = ExpectedHeader();
  const Header* h = header();
  if (memcmp(h->magic, want.magic, sizeof want.magic) != 0) return HeaderCheck::kDamaged;
  if (Crc32(h, offsetof(Header, crc)) != h->crc) return HeaderCheck::kDamaged;
  // A sound header of another layout belongs to another version of the store.
  if (memcmp(h, &want, sizeof want) != 0) return HeaderCheck::kForeign;
  return HeaderCheck::kOk;
}

void InitHeaderPage(void* page) {
  memset(page, 0, kHeaderSize);
  const Header h = ExpectedHeader();
  memcpy(page, &h, sizeof h);
}

void View::Reset() const {
  memset(base_ + kEntriesOffset, 0, kSlotsOffset - kEntriesOffset);
  InitHeaderPage(base_);
}

bool View::Matches(const Entry* e, const char* key, uint32_t len, uint32_t hash) const {
  return LoadRelaxed(&e->key_len) == len && e->key_hash == hash && memcmp(e->key, key, len) == 0;
}

int View::Find(const char* key, uint32_t len, uint32_t hash) const {
  uint32_t i = hash % ENV_MAX_KEYS;
  for (uint32_t n = 0; n < ENV_MAX_KEYS; ++n, i = (i + 1) % ENV_MAX_KEYS) {
    const Entry* e = entry(i);
    if (LoadAcquire(&e->state) == 0) return -1;
    if (Matches(e, key, len, hash)) return static_cast<int>(i);
  }
  return -1;
}

int View::FindForWrite(const char* key, uint32_t len, uint32_t hash, bool* found) const {
  uint32_t i = hash % ENV_MAX_KEYS;
  for (uint32_t n = 0; n < ENV_MAX_KEYS; ++n, i = (i + 1) % ENV_MAX_KEYS) {
    const Entry* e = entry(i);
    *found = LoadAcquire(&e->state) != 0;
    if (!*found || Matches(e, key, len, hash)) return static_cast<int>(i);
  }
  return -1;
}

ReadResult View::Read(uint32_t i, void* out, uint32_t* len) const {
  const Entry* e = entry(i);
  // A retry is needed only when a write lands during the copy; writes take a
  // disk flush each, so a handful of attempts is plenty.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const uint32_t s = LoadAcquire(&e->state);
    if (s == 0) return ReadResult::kFree;
    if (StateLost(s)) return ReadResult::kLost;
    const Slot* sl = slot(i, StateSlot(s));
    const uint32_t version = LoadRelaxed(&sl->version);
    const uint32_t n = LoadRelaxed(&sl->length);
    const uint32_t crc = LoadRelaxed(&sl->crc);
    if (n <= ENV_MAX_VALUE) memcpy(out, sl->data, n);
    __atomic_thread_fence(__ATOMIC_ACQUIRE);
    if (LoadRelaxed(&e->state) != s) continue;
    // Writers never touch the current slot, so a mismatch now is damage.
    if (n > ENV_MAX_VALUE || version != StateVersion(s) || crc != ValueCrc(i, version, out, n))
      return ReadResult::kCorrupt;
    *len = n;
    return ReadResult::kOk;
  }
  return ReadResult::kBusy;
}

EntryCheck View::Check(uint32_t i) const {
  const Entry* e = entry(i);
  const uint32_t s = LoadAcquire(&e->state);
  if (s == 0) return EntryCheck::kFree;
  const uint32_t klen = LoadRelaxed(&e->key_len);
  if (klen == 0) return EntryCheck::kDead;
  if (klen > ENV_MAX_KEY || StateVersion(s) == 0 || memchr(e->key, 0, klen) != nullptr ||
      KeyCrc(e->key, klen) != e->key_crc || KeyHash(e->key, klen) != e->key_hash)
    return EntryCheck::kBadKey;
  // Entries never become free again, so a free entry between a key's home
  // and the key itself means a state word was lost: readers cannot reach it.
  for (uint32_t j = e->key_hash % ENV_MAX_KEYS; j != i; j = (j + 1) % ENV_MAX_KEYS)
    if (LoadAcquire(&entry(j)->state) == 0) return EntryCheck::kOrphan;
  if (StateLost(s)) return EntryCheck::kLost;
  uint8_t value[ENV_MAX_VALUE];
  uint32_t len = 0;
  switch (Read(i, value, &len)) {
    case ReadResult::kCorrupt: return EntryCheck::kBadValue;
    case ReadResult::kLost: return EntryCheck::kLost;
    default: return EntryCheck::kOk;  // kBusy: a writer is at it, and checks it itself
  }
}

void View::Fix(uint32_t i, EntryCheck c) const {
  Entry* e = entry(i);
  const uint32_t s = LoadAcquire(&e->state);
  const uint32_t version = StateVersion(s) ? StateVersion(s) : 1;
  if (c == EntryCheck::kBadKey || c == EntryCheck::kOrphan)
    __atomic_store_n(&e->key_len, 0u, __ATOMIC_RELEASE);
  if (IsDamage(c)) __atomic_store_n(&e->state, MakeState(version, StateSlot(s), true), __ATOMIC_RELEASE);
}

uint32_t View::Prepare(uint32_t i, bool found, const char* key, uint32_t key_len, uint32_t hash,
                       const void* data, uint32_t len) const {
  Entry* e = entry(i);
  uint32_t version = 0;
  uint32_t spare = 0;
  if (found) {
    const uint32_t s = LoadAcquire(&e->state);
    version = StateVersion(s);
    spare = 1 - StateSlot(s);
  } else {
    // A free entry: readers stop here without looking at its key.
    memset(e->key, 0, kKeyField);
    memcpy(e->key, key, key_len);
    e->key_len = key_len;
    e->key_hash = hash;
    e->key_crc = KeyCrc(key, key_len);
  }
  const uint32_t next = NextVersion(version);
  Slot* sl = slot(i, spare);
  sl->version = next;
  sl->length = len;
  if (len) memcpy(sl->data, data, len);
  sl->crc = ValueCrc(i, next, data, len);
  return MakeState(next, spare, false);
}

void View::Publish(uint32_t i, uint32_t state) const {
  __atomic_store_n(&entry(i)->state, state, __ATOMIC_RELEASE);
}

}  // namespace envstore
