// Page-granular native buffers, the grow-and-retry queries, process opening
// and the debug privilege.
#pragma once

#include "native/NativeApi.h"

// A NativeBuffer is the base address of whole committed, zero-filled pages
// from NtAllocateVirtualMemory; whoever receives one releases it.
using NativeBuffer = void*;

NativeBuffer AllocNativeBuffer(ULONG size);
void FreeNativeBuffer(NativeBuffer buffer);

// Each query returns a buffer holding the routine's answer, or null. On a
// length mismatch the buffer is replaced by one of exactly the reported length
// and the routine asked again, at most 32 times in all. A start size of 0
// means 4096.
NativeBuffer QuerySystemInformation(ULONG infoClass, ULONG startSize);
NativeBuffer QueryObjectInformation(HANDLE handle, ULONG infoClass);
NativeBuffer QueryProcessInformation(HANDLE processHandle, ULONG infoClass, ULONG startSize);
NativeBuffer QueryThreadBasicInformation(HANDLE threadHandle);

// NtOpenProcess by id; null for id 0 (nothing is called) or on failure.
HANDLE OpenProcessById(ULONG_PTR processId, ACCESS_MASK desiredAccess);

// Enables SeDebugPrivilege in the own token; false also on STATUS_NOT_ALL_ASSIGNED.
bool EnableDebugPrivilege();
