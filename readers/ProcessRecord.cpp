#include "readers/ProcessRecord.h"

ProcessRecord::ProcessRecord(ByteSpan snapshot, size_t offset, size_t extent)
    : m_snapshot(snapshot), m_record(snapshot.Slice(offset, extent)) {}

ProcessRecord::NameState ProcessRecord::ImageName(const WCHAR** text, size_t* length) const {
  *text = nullptr;
  *length = 0;
  const uint16_t bytes = ImageNameLength();
  if (bytes == 0) return NameState::kEmpty;

  const uintptr_t base = reinterpret_cast<uintptr_t>(m_snapshot.Data());
  const uintptr_t buffer = ImageNameBuffer();
  if (buffer == 0 || buffer % sizeof(WCHAR) != 0 || buffer < base) return NameState::kUnreadable;
  const size_t chars = bytes / sizeof(WCHAR);
  if (!m_snapshot.Contains(buffer - base, chars * sizeof(WCHAR))) return NameState::kUnreadable;
  *text = reinterpret_cast<const WCHAR*>(buffer);
  *length = chars;
  return NameState::kText;
}

uint32_t ProcessRecord::ThreadEntryCount() const {
  if (m_record.Size() < kProcessRecordSize) return 0;
  const size_t fitting = (m_record.Size() - kProcessRecordSize) / kThreadEntrySize;
  const uint32_t claimed = NumberOfThreads();
  return fitting < claimed ? static_cast<uint32_t>(fitting) : claimed;
}

ByteSpan ProcessRecord::ThreadEntry(uint32_t index) const {
  if (index >= ThreadEntryCount()) return ByteSpan();
  return m_record.Slice(kProcessRecordSize + static_cast<size_t>(index) * kThreadEntrySize, kThreadEntrySize);
}

bool ProcessRecordWalker::Next(ProcessRecord* record) {
  if (m_done || !m_snapshot.Contains(m_offset, kProcessRecordSize)) {
    m_done = true;
    return false;
  }
  const uint32_t next = m_snapshot.U32(m_offset);
  if (next != 0 && next < kProcessRecordSize) {
    m_done = true;
    return false;
  }
  const size_t rest = m_snapshot.Size() - m_offset;
  const size_t extent = (next == 0 || next > rest) ? rest : next;
  *record = ProcessRecord(m_snapshot, m_offset, extent);
  if (next == 0) {
    m_done = true;
  } else {
    m_offset += next;  // past the end, the next call stops
  }
  return true;
}

bool FindProcessRecord(ByteSpan snapshot, ULONG_PTR processId, ProcessRecord* record) {
  ProcessRecordWalker walker(snapshot);
  ProcessRecord candidate;
  while (walker.Next(&candidate)) {
    if (candidate.UniqueProcessId() == processId) {
      *record = candidate;
      return true;
    }
  }
  return false;
}

NativeBuffer QueryProcessSnapshot() {
  constexpr ULONG kSystemExtendedProcessInformation = 57;
  return QuerySystemInformation(kSystemExtendedProcessInformation, 0);
}
