// The threads of one process, from the extended process snapshot.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>

#include "native/ByteSpan.h"

// One thread entry of a process record (SYSTEM_EXTENDED_THREAD_INFORMATION),
// read at its byte offsets; a field outside the entry reads 0.
class ThreadEntry {
 public:
  explicit ThreadEntry(ByteSpan entry) : m_entry(entry) {}

  int64_t KernelTime() const { return m_entry.I64(0x00); }
  int64_t UserTime() const { return m_entry.I64(0x08); }
  int64_t CreateTime() const { return m_entry.I64(0x10); }
  ULONG_PTR StartAddress() const { return m_entry.Ptr(0x20); }
  ULONG_PTR UniqueProcess() const { return m_entry.Ptr(0x28); }
  ULONG_PTR UniqueThread() const { return m_entry.Ptr(0x30); }
  int32_t Priority() const { return m_entry.I32(0x38); }
  uint32_t ContextSwitches() const { return m_entry.U32(0x40); }
  uint32_t ThreadState() const { return m_entry.U32(0x44); }
  uint32_t WaitReason() const { return m_entry.U32(0x48); }
  ULONG_PTR StackBase() const { return m_entry.Ptr(0x50); }
  ULONG_PTR StackLimit() const { return m_entry.Ptr(0x58); }
  ULONG_PTR Win32StartAddress() const { return m_entry.Ptr(0x60); }
  ULONG_PTR TebBase() const { return m_entry.Ptr(0x68); }

 private:
  ByteSpan m_entry;
};

// What the threads tab shows of one thread, copied out of the snapshot.
struct ThreadRecord {
  ULONG_PTR threadId;
  ULONG_PTR startAddress;
  ULONG_PTR win32StartAddress;
  int32_t priority;
  uint32_t threadState;
  uint32_t waitReason;
  ULONG_PTR stackBase;
  ULONG_PTR stackLimit;
  ULONG_PTR tebAddress;  // from the snapshot, else asked of the thread itself; 0 when unknown
  uint32_t contextSwitches;
  int64_t createTime;
  int64_t userTime;
  int64_t kernelTime;
};

// The TEB address of the thread `processId`/`threadId`, asked of the thread
// (opened for query); 0 when it cannot be opened or queried.
ULONG_PTR QueryThreadTebAddress(ULONG_PTR processId, ULONG_PTR threadId);

// The snapshot's thread entries of process `processId`, in snapshot order.
// False (and no records) when the snapshot cannot be taken or holds no such
// process.
bool ReadProcessThreads(ULONG_PTR processId, std::vector<ThreadRecord>* threads);
