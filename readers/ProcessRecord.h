// The process records of the extended process snapshot
// (SystemExtendedProcessInformation), read at their byte offsets and never
// past the snapshot.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "native/ByteSpan.h"
#include "native/NativeQuery.h"

constexpr size_t kProcessRecordSize = 0x100;
constexpr size_t kThreadEntrySize = 0x88;

class ProcessRecord {
 public:
  enum class NameState {
    kEmpty,       // Length 0: the idle process
    kText,        // the text lies inside the snapshot
    kUnreadable,  // the Buffer points outside the snapshot (or is null or odd)
  };

  ProcessRecord() = default;
  // The record at `offset` of `snapshot`, `extent` bytes long (up to the next
  // record, or to the end of the snapshot for the last one).
  ProcessRecord(ByteSpan snapshot, size_t offset, size_t extent);

  uint32_t NextEntryOffset() const { return m_record.U32(0x00); }
  uint32_t NumberOfThreads() const { return m_record.U32(0x04); }
  int64_t UserTime() const { return m_record.I64(0x28); }
  int64_t KernelTime() const { return m_record.I64(0x30); }
  uint16_t ImageNameLength() const { return m_record.U16(0x38); }
  ULONG_PTR ImageNameBuffer() const { return m_record.Ptr(0x40); }
  int32_t BasePriority() const { return m_record.I32(0x48); }
  ULONG_PTR UniqueProcessId() const { return m_record.Ptr(0x50); }
  ULONG_PTR InheritedFromUniqueProcessId() const { return m_record.Ptr(0x58); }
  uint32_t HandleCount() const { return m_record.U32(0x60); }
  uint32_t SessionId() const { return m_record.U32(0x64); }
  uint32_t PageFaultCount() const { return m_record.U32(0x80); }
  uint64_t PeakWorkingSetSize() const { return m_record.U64(0x88); }
  uint64_t WorkingSetSize() const { return m_record.U64(0x90); }
  uint64_t PagefileUsage() const { return m_record.U64(0xB8); }
  uint64_t PeakPagefileUsage() const { return m_record.U64(0xC0); }

  // The image name. The Buffer is an absolute address into the snapshot; the
  // text is handed out (whole characters of Length) only when all of it lies
  // inside the snapshot.
  NameState ImageName(const WCHAR** text, size_t* length) const;

  // Thread entries that lie inside this record's extent: at most
  // NumberOfThreads. An entry out of range is empty.
  uint32_t ThreadEntryCount() const;
  ByteSpan ThreadEntry(uint32_t index) const;

 private:
  ByteSpan m_snapshot;
  ByteSpan m_record;
};

// Walks the chain of records. It stops at NextEntryOffset 0, before a record
// that does not lie wholly inside the snapshot, and before a record shorter
// than kProcessRecordSize (a NextEntryOffset below it). Offsets only ever move
// forward, so the chain cannot loop.
class ProcessRecordWalker {
 public:
  explicit ProcessRecordWalker(ByteSpan snapshot) : m_snapshot(snapshot) {}
  bool Next(ProcessRecord* record);

 private:
  ByteSpan m_snapshot;
  size_t m_offset = 0;
  bool m_done = false;
};

// The first record whose UniqueProcessId is `processId`.
bool FindProcessRecord(ByteSpan snapshot, ULONG_PTR processId, ProcessRecord* record);

// The extended process snapshot of the whole system, or null.
NativeBuffer QueryProcessSnapshot();
