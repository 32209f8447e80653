#include "native/ByteSpan.h"

ByteSpan SpanOfNativeBuffer(const void* buffer) {
  if (!buffer) return ByteSpan();
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(buffer, &info, sizeof(info)) != sizeof(info) || info.State != MEM_COMMIT) return ByteSpan();
  const BYTE* regionEnd = static_cast<const BYTE*>(info.BaseAddress) + info.RegionSize;
  return ByteSpan(buffer, regionEnd - static_cast<const BYTE*>(buffer));
}
