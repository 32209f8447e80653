#include "readers/SystemInfo.h"

#include "native/NativeOwners.h"

namespace {

constexpr ULONG kSystemBasicInformation = 0;
constexpr ULONG kSystemPerformanceInformation = 2;
constexpr ULONG kSystemConfigurationInformation = 7;
constexpr ULONG kSystemPageFileInformation = 18;

constexpr ULONG kBasicSize = 64;
constexpr ULONG kPerformanceSize = 312;
constexpr ULONG kConfigurationSize = 24;

// Counts and sizes before the name, then the UNICODE_STRING of the name.
constexpr size_t kPageFileEntrySize = 32;

// Runs `read` over a fresh answer of class `infoClass`; false when there is none.
template <typename Read>
bool ReadSystemAnswer(ULONG infoClass, ULONG startSize, Read read) {
  UniqueNativeBuffer answer(QuerySystemInformation(infoClass, startSize));
  if (answer) read(SpanOfNativeBuffer(answer.Get()));
  return static_cast<bool>(answer);
}

}  // namespace

bool ReadSystemBasic(SystemBasicRecord* record) {
  return ReadSystemAnswer(kSystemBasicInformation, kBasicSize, [record](ByteSpan span) {
    record->timerResolution = span.U32(4);
    record->pageSize = span.U32(8);
    record->physicalPages = span.U32(12);
    record->lowestPhysicalPage = span.U32(16);
    record->highestPhysicalPage = span.U32(20);
    record->allocationGranularity = span.U32(24);
    record->minUserAddress = span.U64(32);
    record->maxUserAddress = span.U64(40);
    record->activeProcessorsMask = span.U64(48);
    record->numberOfProcessors = static_cast<int8_t>(static_cast<uint8_t>(span.U32(56)));  // the low byte
  });
}

bool ReadSystemPerformance(SystemPerformanceRecord* record) {
  return ReadSystemAnswer(kSystemPerformanceInformation, kPerformanceSize, [record](ByteSpan span) {
    record->availablePages = span.U32(44);
    record->committedPages = span.U32(48);
    record->commitLimit = span.U32(52);
    record->peakCommitment = span.U32(56);
    record->pageFaultCount = span.U32(60);
    record->pagedPoolPages = span.U32(112);
    record->nonPagedPoolPages = span.U32(116);
    record->contextSwitches = span.U32(296);
    record->systemCalls = span.U32(308);
  });
}

bool ReadSystemDevices(SystemDeviceRecord* record) {
  return ReadSystemAnswer(kSystemConfigurationInformation, kConfigurationSize, [record](ByteSpan span) {
    record->disks = span.U32(0);
    record->cdRoms = span.U32(8);
    record->serialPorts = span.U32(16);
    record->parallelPorts = span.U32(20);
  });
}

bool ReadPageFiles(std::vector<PageFileRecord>* files) {
  return ReadSystemAnswer(kSystemPageFileInformation, 0, [files](ByteSpan span) { *files = ParsePageFiles(span); });
}

std::vector<PageFileRecord> ParsePageFiles(ByteSpan answer) {
  std::vector<PageFileRecord> files;
  const uintptr_t base = reinterpret_cast<uintptr_t>(answer.Data());
  // Offsets only move forward (next is unsigned and not 0), so the chain
  // cannot loop; it ends at 0 or at an entry that does not fit.
  for (size_t offset = 0; answer.Contains(offset, kPageFileEntrySize);) {
    const ByteSpan entry = answer.Slice(offset, kPageFileEntrySize);
    PageFileRecord file;
    file.totalPages = entry.U32(4);
    file.pagesInUse = entry.U32(8);
    file.peakPages = entry.U32(12);
    const size_t nameBytes = entry.U16(16);
    const uintptr_t name = entry.Ptr(24);
    if (name % sizeof(wchar_t) == 0 && name >= base && name - base < answer.Size()) {
      const ByteSpan text = answer.Slice(name - base, nameBytes);
      file.name = CString(reinterpret_cast<const wchar_t*>(text.Data()), static_cast<int>(text.Size() / 2));
    }
    files.push_back(file);
    const uint32_t next = entry.U32(0);
    if (next == 0) break;
    offset += next;
  }
  return files;
}
