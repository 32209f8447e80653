// Reading another process's image base, image path and command line out of
// its process environment block.
#pragma once

#include <windows.h>

#include "framework/CString.h"

// The record ReadProcessPebInfo returns, in a NativeBuffer of its own (zero
// pages, so a string that was never read is empty). Both texts end at a NUL.
struct ProcessPebInfo {
  ULONGLONG ImageBase;
  WCHAR ImagePath[260];
  WCHAR CommandLine[1024];
};

// Copies ImageBaseAddress and the process parameters' ImagePathName and
// CommandLine (64-bit layouts) out of the process behind `process`, which
// must allow PROCESS_VM_READ. Returns null when the PEB cannot be read or no
// record can be allocated; unreadable parameters give the image base with
// two empty strings. The caller frees the record with FreeNativeBuffer.
ProcessPebInfo* ReadProcessPebInfo(HANDLE process, ULONG_PTR pebAddress);

// PebBaseAddress and UniqueProcessId of the process behind `process` (basic
// information); false when the query fails.
struct ProcessBasics {
  ULONG_PTR pebAddress;
  ULONG_PTR uniqueProcessId;
};
bool ReadProcessBasics(HANDLE process, ProcessBasics* basics);

// The process's image file name as the system answers it: a device path, or
// empty. False when the query fails or the answer's string is unreadable.
bool ReadProcessImageFileName(HANDLE process, CString* text);
