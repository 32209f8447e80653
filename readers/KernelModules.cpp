#include "readers/KernelModules.h"

#include <cstring>

namespace {

constexpr size_t kEntriesOffset = 8;
constexpr size_t kImageBaseOffset = 16;
constexpr size_t kImageSizeOffset = 24;
constexpr size_t kLoadOrderIndexOffset = 32;
constexpr size_t kOffsetToFileNameOffset = 38;
constexpr size_t kFullPathNameOffset = 40;
constexpr size_t kFullPathNameSize = 256;

}  // namespace

uint32_t KernelModuleCount(ByteSpan snapshot) {
  if (!snapshot.Contains(0, kEntriesOffset)) return 0;
  const size_t fitting = (snapshot.Size() - kEntriesOffset) / kKernelModuleEntrySize;
  const uint32_t claimed = snapshot.U32(0);
  return fitting < claimed ? static_cast<uint32_t>(fitting) : claimed;
}

KernelModuleRecord ReadKernelModule(ByteSpan snapshot, uint32_t index) {
  KernelModuleRecord record;
  if (index >= KernelModuleCount(snapshot)) return record;
  const ByteSpan entry =
      snapshot.Slice(kEntriesOffset + static_cast<size_t>(index) * kKernelModuleEntrySize, kKernelModuleEntrySize);
  record.imageBase = entry.U64(kImageBaseOffset);
  record.imageSize = entry.U32(kImageSizeOffset);
  record.loadOrderIndex = entry.U16(kLoadOrderIndexOffset);

  const char* path = reinterpret_cast<const char*>(entry.Data() + kFullPathNameOffset);
  const size_t pathBytes = strnlen(path, kFullPathNameSize);
  record.fullPath = CString(path, static_cast<int>(pathBytes));
  const size_t nameOffset = entry.U16(kOffsetToFileNameOffset);
  if (nameOffset < pathBytes) record.fileName = CString(path + nameOffset, static_cast<int>(pathBytes - nameOffset));
  return record;
}
