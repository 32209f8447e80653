// The kernel modules of the SystemModuleInformation snapshot, read at their
// byte offsets and never past the snapshot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// The modules of a fresh snapshot, in its order; false when the query fails.
bool ReadKernelModules(std::vector<KernelModuleRecord>* modules);

// The entries of one snapshot: NumberOfModules of them, but only those that
// lie wholly inside the snapshot. A path ends at its NUL or at the end of its
// 256-byte field; an OffsetToFileName at or past the end of the path gives
// an empty file name.
std::vector<KernelModuleRecord> ParseKernelModules(ByteSpan snapshot);
