#include "tests/support/LeakCounters.h"

#include <gtest/gtest.h>
#include <winternl.h>

#include <cstring>
#include <vector>

namespace {

constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
// SYSTEM_HANDLE_INFORMATION_EX: the count at 0, 40-byte entries from 16, the
// owning process id at +8 of an entry.
constexpr size_t kHandleEntriesOffset = 16;
constexpr size_t kHandleEntrySize = 40;
constexpr size_t kHandleEntryProcessId = 8;

ULONG_PTR ReadPointer(const std::vector<BYTE>& bytes, size_t offset) {
  ULONG_PTR value;
  std::memcpy(&value, bytes.data() + offset, sizeof(value));
  return value;
}

// Counts this process's entries in the system handle snapshot. Calls ntdll
// directly, not through the native table, so fakes in the table do not
// disturb the count; the buffer comes from the heap, which is not counted.
bool CountOwnHandles(DWORD* count) {
  using QueryFn = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQuerySystemInformation")));
  if (!query) return false;
  std::vector<BYTE> buffer(64 * 1024);
  ULONG length = 0;
  NTSTATUS status;
  while ((status = query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                         &length)) == kLengthMismatch) {
    buffer.resize(length + 64 * 1024);
  }
  if (status < 0 || length < kHandleEntriesOffset || length > buffer.size()) return false;
  const ULONG_PTR entries = ReadPointer(buffer, 0);
  const ULONG_PTR ownId = GetCurrentProcessId();
  DWORD own = 0;
  for (ULONG_PTR i = 0; i < entries; ++i) {
    const size_t entry = kHandleEntriesOffset + i * kHandleEntrySize;
    if (entry + kHandleEntrySize > length) break;
    if (ReadPointer(buffer, entry + kHandleEntryProcessId) == ownId) ++own;
  }
  *count = own;
  return true;
}

DWORD CountHandles() {
  DWORD count = 0;
  if (!CountOwnHandles(&count)) GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

// Start addresses of every region of every process heap.
std::vector<const BYTE*> HeapRegionStarts() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  std::vector<const BYTE*> starts;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_REGION) starts.push_back(static_cast<const BYTE*>(entry.lpData));
    }
    HeapUnlock(heap);
  }
  return starts;
}

// One allocation as the VirtualQuery walk meets it, region by region.
struct Allocation {
  const BYTE* base = nullptr;
  const BYTE* end = nullptr;
  bool wholeReadWrite = false;  // committed, private and read-write from end to end
};

bool IsHeapRegion(const Allocation& allocation, const std::vector<const BYTE*>& heapStarts) {
  for (const BYTE* start : heapStarts) {
    if (start >= allocation.base && start < allocation.end) return true;
  }
  return false;
}

}  // namespace

LeakCounts TakeLeakCounts() {
  LeakCounts counts = {};
  counts.handles = CountHandles();
  const std::vector<const BYTE*> heapStarts = HeapRegionStarts();
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  Allocation current;
  auto finish = [&] {
    if (current.base && current.wholeReadWrite && !IsHeapRegion(current, heapStarts)) {
      ++counts.committedPrivateRegions;
      counts.committedPrivateBytes += static_cast<size_t>(current.end - current.base);
    }
    current = Allocation();
  };
  const BYTE* address = static_cast<const BYTE*>(system.lpMinimumApplicationAddress);
  MEMORY_BASIC_INFORMATION region = {};
  while (address < system.lpMaximumApplicationAddress && VirtualQuery(address, &region, sizeof(region))) {
    const BYTE* allocationBase = static_cast<const BYTE*>(region.AllocationBase);
    if (region.State == MEM_FREE || allocationBase != current.base) finish();
    if (region.State != MEM_FREE) {
      const bool readWrite =
          region.State == MEM_COMMIT && region.Type == MEM_PRIVATE && region.Protect == PAGE_READWRITE;
      if (!current.base) {
        current.base = allocationBase;
        current.wholeReadWrite = readWrite && region.BaseAddress == region.AllocationBase;
      } else {
        current.wholeReadWrite = current.wholeReadWrite && readWrite;
      }
      current.end = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    }
    address = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
  }
  finish();
  return counts;
}

void ExpectNoLeaks(const LeakCounts& before, const LeakCounts& after) {
  EXPECT_EQ(after.handles, before.handles) << "open handles changed";
  EXPECT_LE(after.committedPrivateRegions, before.committedPrivateRegions) << "committed private regions grew";
  EXPECT_LE(after.committedPrivateBytes, before.committedPrivateBytes) << "committed private bytes grew";
}
