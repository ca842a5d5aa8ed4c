#include "processing/processed_files.h"

#include <cstdint>
#include <new>

namespace dialog {

namespace {

constexpr std::size_t kFirstCapacity = 64;

std::size_t Hash(const platform::FileIdentity& identity) {
  // The finaliser of splitmix64: inodes are often consecutive numbers.
  std::uint64_t x = identity.inode ^ (identity.device * 0x9E3779B97F4A7C15ull);
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return static_cast<std::size_t>(x ^ (x >> 31));
}

// The slot that holds `identity`, or the free slot where it belongs.
std::size_t SlotOf(const ProcessedFiles& files, const platform::FileIdentity& identity) {
  const std::size_t mask = files.capacity - 1;
  std::size_t slot = Hash(identity) & mask;
  while (files.slots[slot].known && !platform::SameFile(files.slots[slot], identity)) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

bool Grow(ProcessedFiles& files) {
  const std::size_t capacity = files.capacity == 0 ? kFirstCapacity : 2 * files.capacity;
  auto* slots = new (std::nothrow) platform::FileIdentity[capacity];
  if (slots == nullptr) {
    return false;
  }
  ProcessedFiles grown{slots, capacity, files.count};
  for (std::size_t i = 0; i < files.capacity; ++i) {
    if (files.slots[i].known) {
      grown.slots[SlotOf(grown, files.slots[i])] = files.slots[i];
    }
  }
  delete[] files.slots;
  files = grown;
  return true;
}

}  // namespace

bool WasProcessed(const ProcessedFiles& files, const platform::FileIdentity& identity) {
  return files.capacity > 0 && identity.known && files.slots[SlotOf(files, identity)].known;
}

bool NoteProcessed(ProcessedFiles& files, const platform::FileIdentity& identity) {
  if (!identity.known) {
    return true;  // an unknown identity matches nothing, not even itself
  }
  if (4 * (files.count + 1) > 3 * files.capacity && !Grow(files)) {
    return false;
  }
  platform::FileIdentity& slot = files.slots[SlotOf(files, identity)];
  if (!slot.known) {
    slot = identity;
    ++files.count;
  }
  return true;
}

void ReleaseProcessed(ProcessedFiles& files) {
  delete[] files.slots;
  files = ProcessedFiles{};
}

}  // namespace dialog
