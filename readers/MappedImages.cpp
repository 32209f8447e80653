#include "readers/MappedImages.h"

#include <cstring>
#include <utility>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"

namespace {

constexpr ULONG_PTR kWalkStart = 0x10000;
constexpr ULONG_PTR kStep = 0x10000;
constexpr ULONG_PTR kLow16Bits = 0xFFFF;
constexpr ULONG_PTR kUpperBound = 0x7FFFFFEFFFF;
constexpr ULONG_PTR kWow64UpperBound = 0x7FFEFFFF;

constexpr ULONG kMemoryBasicInformation = 0;
constexpr ULONG kMemorySectionName = 2;
constexpr NTSTATUS kStatusInvalidHandle = static_cast<NTSTATUS>(0xC0000008);
constexpr NTSTATUS kStatusProcessIsTerminating = static_cast<NTSTATUS>(0xC000010A);

// MEMORY_BASIC_INFORMATION (64-bit layout).
constexpr size_t kBasicInfoSize = 48;
constexpr size_t kBasicBaseAddress = 0x00;
constexpr size_t kBasicAllocationBase = 0x08;
constexpr size_t kBasicRegionSize = 0x18;
constexpr size_t kBasicProtect = 0x24;
constexpr size_t kBasicType = 0x28;

// The name answer: a UNICODE_STRING (Length at 0, Buffer at 8) and its text.
// The text, its NUL and the counted string must fit the scratch buffer.
constexpr size_t kNameScratchSize = 616;
constexpr size_t kMaxNameChars = 299;
constexpr size_t kTailBytes = 24;

constexpr ULONG kFileStandardInformation = 5;

constexpr ULONG kPageSize = 4096;
constexpr ULONG kInitialListRequest = 16;

// Shared by both walks, so they must not run at the same time.
alignas(8) BYTE g_nameScratch[kNameScratchSize];

struct RegionInfo {
  ULONG_PTR base;
  ULONG_PTR allocationBase;
  ULONG_PTR regionSize;
  ULONG protect;
  ULONG type;
};

NTSTATUS QueryRegion(HANDLE process, ULONG_PTR address, RegionInfo* region) {
  alignas(8) BYTE info[kBasicInfoSize] = {};
  const NTSTATUS status = g_NativeApi.NtQueryVirtualMemory(process, reinterpret_cast<PVOID>(address),
                                                           kMemoryBasicInformation, info, sizeof(info), nullptr);
  const ByteSpan span(info, sizeof(info));
  *region = {span.Ptr(kBasicBaseAddress), span.Ptr(kBasicAllocationBase), span.Ptr(kBasicRegionSize),
             span.U32(kBasicProtect), span.U32(kBasicType)};
  return status;
}

// These failures do not depend on the address: stepping on would only ask
// the same question millions of times.
bool EndsWalk(NTSTATUS status) {
  return status == kStatusInvalidHandle || status == kStatusProcessIsTerminating || status == kStatusAccessDenied;
}

ULONG_PTR SaturatingAdd(ULONG_PTR a, ULONG_PTR b) { return a > ~b ? ~static_cast<ULONG_PTR>(0) : a + b; }

// The mapping's name as bytes inside the scratch buffer; false when the
// query fails or the answer is odd, too long or points outside the buffer.
bool QuerySectionName(HANDLE process, ULONG_PTR address, const BYTE** name, size_t* bytes) {
  const NTSTATUS status = g_NativeApi.NtQueryVirtualMemory(
      process, reinterpret_cast<PVOID>(address), kMemorySectionName, g_nameScratch, sizeof(g_nameScratch), nullptr);
  if (!NtSuccess(status)) return false;
  const ByteSpan scratch(g_nameScratch, sizeof(g_nameScratch));
  const size_t length = scratch.U16(0);
  const ULONG_PTR text = scratch.Ptr(8);
  const ULONG_PTR start = reinterpret_cast<ULONG_PTR>(g_nameScratch);
  if (length % sizeof(WCHAR) != 0 || length / sizeof(WCHAR) > kMaxNameChars) return false;
  if (text < start || !scratch.Contains(text - start, length)) return false;
  *name = g_nameScratch + (text - start);
  *bytes = length;
  return true;
}

// The last 24 bytes of the name; a shorter name is right-aligned with zeros
// before it, so nothing before its first character is read.
void NameTail(const BYTE* name, size_t bytes, BYTE* tail) {
  const size_t take = bytes < kTailBytes ? bytes : kTailBytes;
  std::memset(tail, 0, kTailBytes - take);
  std::memcpy(tail + kTailBytes - take, name + bytes - take, take);
}

// The list under construction. Until Finish hands it over, it owns the list
// and every record in it.
class ImageListBuilder {
 public:
  ImageListBuilder() = default;
  ImageListBuilder(const ImageListBuilder&) = delete;
  ImageListBuilder& operator=(const ImageListBuilder&) = delete;
  ~ImageListBuilder() {
    if (!m_list) return;
    for (ULONG i = 0; i < List()->Count; ++i) FreeNativeBuffer(List()->Records()[i]);
  }

  bool Start() { return Allocate(kInitialListRequest); }

  // False when the list is full and cannot grow; the caller keeps the record.
  bool Append(MappedImageRecord* record) {
    if (List()->Count == m_capacity && !Grow()) return false;
    List()->Records()[List()->Count++] = record;
    return true;
  }

  MappedImageList* Finish() { return static_cast<MappedImageList*>(m_list.Release()); }

 private:
  MappedImageList* List() const { return static_cast<MappedImageList*>(m_list.Get()); }

  bool Allocate(ULONG request) {
    UniqueNativeBuffer list(AllocNativeBuffer(request));
    if (!list) return false;
    const ULONG pages = (request + kPageSize - 1) / kPageSize * kPageSize;
    const size_t capacity = (pages - sizeof(MappedImageList)) / sizeof(MappedImageRecord*);
    if (m_list) {
      std::memcpy(list.Get(), m_list.Get(), sizeof(MappedImageList) + List()->Count * sizeof(MappedImageRecord*));
    }
    m_list = std::move(list);
    m_capacity = capacity;
    return true;
  }

  bool Grow() {
    const size_t bytes = sizeof(MappedImageList) + 2 * m_capacity * sizeof(MappedImageRecord*);
    return bytes <= 0x7FFFF000 && Allocate(static_cast<ULONG>(bytes));
  }

  UniqueNativeBuffer m_list;
  size_t m_capacity = 0;
};

// Where the walk goes on after recording a mapping: past its whole size, but
// only when the size ends inside the same allocation. A size read from the
// other process's memory, or a file larger than its view, would otherwise
// jump over the mappings that follow; then the walk goes on after the region
// at hand.
ULONG_PTR NextAfterMapping(HANDLE process, const MappedImageRecord& record, const RegionInfo& region) {
  RegionInfo last{};
  if (record.Size != 0 && NtSuccess(QueryRegion(process, record.Base + record.Size - 1, &last)) &&
      last.allocationBase == record.Base) {
    return SaturatingAdd((record.Base + record.Size) & ~kLow16Bits, kStep);
  }
  return SaturatingAdd(region.base, region.regionSize);
}

struct Visit {
  bool stop;
  ULONG_PTR next;
};

// A region of an image or mapped file: records the mapping unless its name
// cannot be read or ends like the last recorded one.
Visit VisitMapping(HANDLE process, ULONG_PTR address, const RegionInfo& region, BYTE* lastTail,
                   ImageListBuilder& list) {
  const BYTE* name = nullptr;
  size_t bytes = 0;
  if (!QuerySectionName(process, address, &name, &bytes)) return {false, address + kStep};
  BYTE tail[kTailBytes];
  NameTail(name, bytes, tail);
  if (RtlCompareMemory(tail, lastTail, kTailBytes) == kTailBytes) return {false, address + kStep};
  std::memcpy(lastTail, tail, kTailBytes);

  UniqueNativeBuffer buffer(AllocNativeBuffer(sizeof(MappedImageRecord)));
  if (!buffer) return {true, 0};
  auto* record = static_cast<MappedImageRecord*>(buffer.Get());
  std::memcpy(record->Name, name, bytes);
  record->Name[bytes / sizeof(WCHAR)] = L'\0';
  record->Base = region.allocationBase;
  record->Size = GetRemoteImageSize(process, record->Base);
  if (record->Size == 0) record->Size = GetFileAllocationSize(record->Name);
  if (!list.Append(record)) return {true, 0};
  buffer.Release();
  return {false, NextAfterMapping(process, *record, region)};
}

MappedImageList* WalkAddressSpace(HANDLE process, ULONG_PTR upperBound) {
  ImageListBuilder list;
  if (!list.Start()) return nullptr;
  BYTE lastTail[kTailBytes] = {};
  ULONG_PTR address = kWalkStart;
  while (address < upperBound) {
    RegionInfo region{};
    const NTSTATUS status = QueryRegion(process, address, &region);
    ULONG_PTR next = address + kStep;
    if (!NtSuccess(status)) {
      if (EndsWalk(status)) break;
    } else if ((region.protect & PAGE_NOACCESS) != 0 || (region.type & (MEM_IMAGE | MEM_MAPPED)) == 0) {
      next = SaturatingAdd(SaturatingAdd(address, region.regionSize & ~kLow16Bits), kStep);
    } else {
      const Visit visit = VisitMapping(process, address, region, lastTail, list);
      if (visit.stop) break;
      next = visit.next;
    }
    // Never back: a size smaller than the part already passed would revisit it.
    address = next > address ? next : address + kStep;
  }
  return list.Finish();
}

}  // namespace

MappedImageList* EnumProcessImages(HANDLE process) {
  if (!process) return nullptr;
  return WalkAddressSpace(process, kUpperBound);
}

MappedImageList* EnumWow64ProcessImages(HANDLE process) {
  BOOL wow64 = FALSE;
  if (!IsWow64Process(process, &wow64) || !wow64) return nullptr;
  return WalkAddressSpace(process, kWow64UpperBound);
}

MappedImageList* EnumProcessImagesById(ULONG_PTR processId) {
  UniqueNtHandle process(OpenProcessById(processId, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ));
  BOOL wow64 = FALSE;
  if (!process || !IsWow64Process(process.Get(), &wow64)) return nullptr;
  return WalkAddressSpace(process.Get(), wow64 ? kWow64UpperBound : kUpperBound);
}

ULONG GetRemoteImageSize(HANDLE process, ULONGLONG base) {
  if (!process || base == 0) return 0;
  BYTE dos[64];
  if (!NtSuccess(g_NativeApi.NtReadVirtualMemory(process, reinterpret_cast<PVOID>(base), dos, sizeof(dos), nullptr)))
    return 0;
  const ByteSpan dosSpan(dos, sizeof(dos));
  if (dosSpan.U16(0) != IMAGE_DOS_SIGNATURE) return 0;
  const ULONG ntOffset = dosSpan.U32(0x3C);  // e_lfanew; a negative one fails too
  if (ntOffset >= 0x10000000) return 0;
  BYTE nt[264];
  if (!NtSuccess(
          g_NativeApi.NtReadVirtualMemory(process, reinterpret_cast<PVOID>(base + ntOffset), nt, sizeof(nt), nullptr)))
    return 0;
  const ByteSpan ntSpan(nt, sizeof(nt));
  if (ntSpan.U32(0) != IMAGE_NT_SIGNATURE) return 0;
  return ntSpan.U32(0x50);  // SizeOfImage, at the same place for 32- and 64-bit images
}

ULONG GetFileAllocationSize(const WCHAR* path) {
  UNICODE_STRING name{};
  g_NativeApi.RtlInitUnicodeString(&name, path);
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  attributes.ObjectName = &name;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  IO_STATUS_BLOCK io{};
  UniqueNtHandle file;
  if (!NtSuccess(g_NativeApi.NtOpenFile(file.Put(), FILE_READ_ATTRIBUTES, &attributes, &io,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_NON_DIRECTORY_FILE)))
    return 0;
  alignas(8) BYTE info[24] = {};  // FILE_STANDARD_INFORMATION; AllocationSize at 0
  if (!NtSuccess(g_NativeApi.NtQueryInformationFile(file.Get(), &io, info, sizeof(info), kFileStandardInformation)))
    return 0;
  return static_cast<ULONG>(ByteSpan(info, sizeof(info)).U64(0));
}
