// The entries of the extended handle snapshot (SystemExtendedHandleInformation),
// read at their byte offsets and never past the snapshot.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "native/ByteSpan.h"
#include "native/NativeQuery.h"

constexpr size_t kHandleEntriesOffset = 0x10;
constexpr size_t kHandleEntrySize = 0x28;

// One SYSTEM_HANDLE_TABLE_ENTRY_INFO_EX.
class HandleEntry {
 public:
  explicit HandleEntry(ByteSpan entry) : m_entry(entry) {}

  ULONG_PTR Object() const { return m_entry.Ptr(0x00); }
  ULONG_PTR UniqueProcessId() const { return m_entry.Ptr(0x08); }
  ULONG_PTR HandleValue() const { return m_entry.Ptr(0x10); }
  uint32_t GrantedAccess() const { return m_entry.U32(0x18); }
  uint16_t ObjectTypeIndex() const { return m_entry.U16(0x1E); }
  uint32_t HandleAttributes() const { return m_entry.U32(0x20); }

 private:
  ByteSpan m_entry;
};

// NumberOfHandles, but no more entries than lie wholly inside the snapshot.
inline size_t HandleEntryCount(ByteSpan snapshot) {
  if (snapshot.Size() < kHandleEntriesOffset) return 0;
  const size_t fitting = (snapshot.Size() - kHandleEntriesOffset) / kHandleEntrySize;
  const ULONG_PTR claimed = snapshot.Ptr(0);
  return claimed < fitting ? static_cast<size_t>(claimed) : fitting;
}

inline HandleEntry HandleEntryAt(ByteSpan snapshot, size_t index) {
  return HandleEntry(snapshot.Slice(kHandleEntriesOffset + index * kHandleEntrySize, kHandleEntrySize));
}

// The extended handle snapshot of the whole system, or null.
inline NativeBuffer QueryHandleSnapshot() {
  constexpr ULONG kSystemExtendedHandleInformation = 64;
  return QuerySystemInformation(kSystemExtendedHandleInformation, 0);
}
