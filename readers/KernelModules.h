// The kernel modules of the SystemModuleInformation snapshot, read at their
// byte offsets and never past the snapshot.
#pragma once

#include <cstddef>
#include <cstdint>

#include <windows.h>

#include "framework/CString.h"
#include "native/ByteSpan.h"

constexpr ULONG kSystemModuleInformation = 11;
constexpr size_t kKernelModuleEntrySize = 296;

struct KernelModuleRecord {
  uint64_t imageBase = 0;
  uint32_t imageSize = 0;
  uint16_t loadOrderIndex = 0;
  CString fileName;  // FullPathName from OffsetToFileName on
  CString fullPath;  // FullPathName, whole
};

// NumberOfModules, cut to the entries that lie wholly inside the snapshot.
uint32_t KernelModuleCount(ByteSpan snapshot);

// Entry `index` (below KernelModuleCount). The path ends at its NUL or at the
// end of its 256-byte field; an OffsetToFileName at or past the end of the
// path gives an empty file name.
KernelModuleRecord ReadKernelModule(ByteSpan snapshot, uint32_t index);
