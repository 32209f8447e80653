// The bare native work behind each page: the same calls, no window and no
// text formatting.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "bench/Bench.h"
#include "native/NativeOwners.h"
#include "readers/HandleSnapshot.h"
#include "readers/ProcessOwner.h"
#include "readers/ProcessPebInfo.h"
#include "readers/ProcessRecord.h"

namespace {

constexpr ACCESS_MASK kQueryRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

// Snapshot entry: process open, basic query, PEB read, owner, bitness, icon.
void BareProcess(ULONG_PTR pid) {
  UniqueNtHandle process(OpenProcessById(pid, kQueryRead));
  WCHAR path[260] = {};
  if (process) {
    UniqueNativeBuffer basic(QueryProcessInformation(process.Get(), 0, 48));
    if (basic) {
      UniqueNativeBuffer info(ReadProcessPebInfo(process.Get(), SpanOfNativeBuffer(basic.Get()).Ptr(8)));
      if (info) std::memcpy(path, static_cast<ProcessPebInfo*>(info.Get())->ImagePath, sizeof(path));
    }
    BOOL wow = FALSE;
    IsWow64Process(process.Get(), &wow);
  }
  WCHAR user[260] = {};
  GetProcessUserName(pid, user);
  SHFILEINFOW file{};
  if (SHGetFileInfoW(path, 0, &file, sizeof(file), SHGFI_ICON) != 0) DestroyIcon(file.hIcon);
}

// Open the owner, duplicate, query, close both: once for the type, once for
// the name.
void BareHandleQuery(ULONG_PTR processId, ULONG_PTR value, ULONG infoClass) {
  UniqueNtHandle owner(OpenProcessById(processId, PROCESS_DUP_HANDLE));
  if (!owner) return;
  UniqueNtHandle duplicate;
  if (!NtSuccess(g_NativeApi.NtDuplicateObject(owner.Get(), reinterpret_cast<HANDLE>(value), NtCurrentProcessHandle(),
                                               duplicate.Put(), 0, 0, DUPLICATE_SAME_ACCESS)))
    return;
  UniqueNativeBuffer answer(QueryObjectInformation(duplicate.Get(), infoClass));
}

size_t BareDirectory(const std::wstring& path, int depth) {
  UNICODE_STRING name{};
  g_NativeApi.RtlInitUnicodeString(&name, path.c_str());
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  attributes.ObjectName = &name;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  UniqueNtHandle directory;
  if (!NtSuccess(g_NativeApi.NtOpenDirectoryObject(directory.Put(), 1, &attributes))) return 0;
  UniqueNativeBuffer answer(AllocNativeBuffer(65536));
  if (!answer) return 0;
  ULONG context = 0;
  NTSTATUS status =
      g_NativeApi.NtQueryDirectoryObject(directory.Get(), answer.Get(), 65536, FALSE, FALSE, &context, nullptr);
  const bool single = status == kStatusNotImplemented;
  if (single)
    status = g_NativeApi.NtQueryDirectoryObject(directory.Get(), answer.Get(), 65536, TRUE, FALSE, &context, nullptr);
  size_t count = 1;
  while (NtSuccess(status)) {
    for (auto* entry = static_cast<const UNICODE_STRING*>(answer.Get()); entry->Length; entry += 2) {
      const UNICODE_STRING& type = entry[1];
      if (depth < 32 && type.Length == 18 && std::wcsncmp(type.Buffer, L"Directory", 9) == 0) {
        const std::wstring child =
            (path == L"\\" ? path : path + L"\\") + std::wstring(entry->Buffer, entry->Length / 2);
        count += BareDirectory(child, depth + 1);
      }
      if (single) break;
    }
    if (!single) break;
    status = g_NativeApi.NtQueryDirectoryObject(directory.Get(), answer.Get(), 65536, TRUE, FALSE, &context, nullptr);
  }
  return count;
}

}  // namespace

size_t BareProcessList() {
  UniqueNativeBuffer snapshot(QuerySystemInformation(57, 0));
  if (!snapshot) return 0;
  ProcessRecordWalker walker(SpanOfNativeBuffer(snapshot.Get()));
  ProcessRecord record;
  size_t count = 0;
  for (; walker.Next(&record); ++count) BareProcess(record.UniqueProcessId());
  return count;
}

size_t BareHandles(ULONG_PTR processId) {
  UniqueNativeBuffer snapshot(QuerySystemInformation(64, 0));
  if (!snapshot) return 0;
  const ByteSpan span = SpanOfNativeBuffer(snapshot.Get());
  size_t rows = 0;
  for (size_t i = 0, count = HandleEntryCount(span); i < count; ++i) {
    const HandleEntry entry = HandleEntryAt(span, i);
    if (entry.UniqueProcessId() != processId) continue;
    BareHandleQuery(processId, entry.HandleValue(), 2);
    BareHandleQuery(processId, entry.HandleValue(), 1);
    ++rows;
  }
  return rows;
}

// Region by region, with the name of each image or mapped view at its start.
size_t BareModules(ULONG_PTR processId) {
  UniqueNtHandle process(OpenProcessById(processId, kQueryRead));
  BOOL wow = FALSE;
  if (!process || !IsWow64Process(process.Get(), &wow)) return 0;
  const ULONG_PTR upper = wow ? 0x7FFEFFFF : 0x7FFFFFEFFFF;
  alignas(8) BYTE name[616];
  size_t count = 0;
  for (ULONG_PTR address = 0x10000; address < upper;) {
    MEMORY_BASIC_INFORMATION region{};
    if (!NtSuccess(g_NativeApi.NtQueryVirtualMemory(process.Get(), reinterpret_cast<PVOID>(address), 0, &region,
                                                    sizeof(region), nullptr)))
      break;
    if ((region.Type & (MEM_IMAGE | MEM_MAPPED)) && region.BaseAddress == region.AllocationBase &&
        NtSuccess(g_NativeApi.NtQueryVirtualMemory(process.Get(), region.BaseAddress, 2, name, sizeof(name), nullptr)))
      ++count;
    address = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
  }
  return count;
}

size_t BareObjectTree() { return BareDirectory(L"\\", 0); }
