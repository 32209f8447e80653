#include "readers/KernelModules.h"

#include <cstring>

#include "native/NativeOwners.h"

namespace {

constexpr size_t kEntriesOffset = 8;
constexpr size_t kImageBaseOffset = 16;
constexpr size_t kImageSizeOffset = 24;
constexpr size_t kLoadOrderIndexOffset = 32;
constexpr size_t kOffsetToFileNameOffset = 38;
constexpr size_t kFullPathNameOffset = 40;
constexpr size_t kFullPathNameSize = 256;

uint32_t KernelModuleCount(ByteSpan snapshot) {
  if (!snapshot.Contains(0, kEntriesOffset)) return 0;
  const size_t fitting = (snapshot.Size() - kEntriesOffset) / kKernelModuleEntrySize;
  const uint32_t claimed = snapshot.U32(0);
  return fitting < claimed ? static_cast<uint32_t>(fitting) : claimed;
}

KernelModuleRecord ReadEntry(ByteSpan entry) {
  KernelModuleRecord record;
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

}  // namespace

bool ReadKernelModules(std::vector<KernelModuleRecord>* modules) {
  UniqueNativeBuffer snapshot(QuerySystemInformation(kSystemModuleInformation, 0));
  if (!snapshot) return false;
  *modules = ParseKernelModules(SpanOfNativeBuffer(snapshot.Get()));
  return true;
}

std::vector<KernelModuleRecord> ParseKernelModules(ByteSpan snapshot) {
  std::vector<KernelModuleRecord> modules;
  const uint32_t count = KernelModuleCount(snapshot);
  for (uint32_t i = 0; i < count; ++i)
    modules.push_back(ReadEntry(
        snapshot.Slice(kEntriesOffset + static_cast<size_t>(i) * kKernelModuleEntrySize, kKernelModuleEntrySize)));
  return modules;
}
