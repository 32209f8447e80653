// Page-granular native buffers and the grow-and-retry queries around them.
#include "native/NativeQuery.h"

#include "native/NativeOwners.h"

namespace {

constexpr ULONG kDefaultQuerySize = 4096;
constexpr ULONG kThreadBasicInformation = 0;
constexpr ULONG kThreadBasicInformationSize = 48;

// A routine that keeps answering "length mismatch" never gets a buffer it
// accepts; give up after this many attempts rather than loop for ever.
constexpr int kMaxQueryAttempts = 32;

ULONG StartSizeOrDefault(ULONG startSize) { return startSize == 0 ? kDefaultQuerySize : startSize; }

// The one grow-and-retry loop. query(buffer, size, &returnLength) calls the
// routine; on a length mismatch the buffer is replaced by one of exactly the
// reported length. The returned length is set to 0 once, not per attempt.
template <typename Query>
NativeBuffer QueryWithGrowingBuffer(ULONG startSize, Query query) {
  ULONG size = startSize;
  ULONG returnLength = 0;
  for (int attempt = 0; attempt < kMaxQueryAttempts; ++attempt) {
    UniqueNativeBuffer buffer(AllocNativeBuffer(size));
    if (!buffer) return nullptr;
    const NTSTATUS status = query(buffer.Get(), size, &returnLength);
    if (status == kStatusInfoLengthMismatch) {
      size = returnLength;
      continue;  // the owner releases this buffer before the next is made
    }
    if (!NtSuccess(status)) return nullptr;
    return buffer.Release();
  }
  return nullptr;
}

}  // namespace

NativeBuffer AllocNativeBuffer(ULONG size) {
  PVOID base = nullptr;
  SIZE_T regionSize = size;
  const NTSTATUS status = g_NativeApi.NtAllocateVirtualMemory(NtCurrentProcessHandle(), &base, 0, &regionSize,
                                                              MEM_COMMIT | MEM_TOP_DOWN, PAGE_READWRITE);
  return NtSuccess(status) ? base : nullptr;
}

void FreeNativeBuffer(NativeBuffer buffer) {
  PVOID base = buffer;
  SIZE_T regionSize = 0;
  g_NativeApi.NtFreeVirtualMemory(NtCurrentProcessHandle(), &base, &regionSize, MEM_RELEASE);
}

NativeBuffer QuerySystemInformation(ULONG infoClass, ULONG startSize) {
  return QueryWithGrowingBuffer(StartSizeOrDefault(startSize), [infoClass](PVOID buffer, ULONG size, PULONG length) {
    return g_NativeApi.NtQuerySystemInformation(infoClass, buffer, size, length);
  });
}

NativeBuffer QueryObjectInformation(HANDLE handle, ULONG infoClass) {
  return QueryWithGrowingBuffer(kDefaultQuerySize, [handle, infoClass](PVOID buffer, ULONG size, PULONG length) {
    return g_NativeApi.NtQueryObject(handle, infoClass, buffer, size, length);
  });
}

NativeBuffer QueryProcessInformation(HANDLE processHandle, ULONG infoClass, ULONG startSize) {
  return QueryWithGrowingBuffer(
      StartSizeOrDefault(startSize), [processHandle, infoClass](PVOID buffer, ULONG size, PULONG length) {
        return g_NativeApi.NtQueryInformationProcess(processHandle, infoClass, buffer, size, length);
      });
}

NativeBuffer QueryThreadBasicInformation(HANDLE threadHandle) {
  return QueryWithGrowingBuffer(kThreadBasicInformationSize, [threadHandle](PVOID buffer, ULONG size, PULONG length) {
    return g_NativeApi.NtQueryInformationThread(threadHandle, kThreadBasicInformation, buffer, size, length);
  });
}
