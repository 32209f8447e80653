// Binding and export lookup against the real system modules.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "native/ExportLookup.h"
#include "tests/support/SlotOverride.h"

namespace {

HMODULE Ntdll() { return GetModuleHandleW(L"ntdll"); }

// A module's export directory as the system reports it, read independently
// of the code under test.
struct ExportView {
  const IMAGE_EXPORT_DIRECTORY* directory = nullptr;
  std::vector<std::string> names;  // sorted, as the table holds them

  explicit ExportView(HMODULE module) {
    using EntryToDataFn = PVOID(NTAPI*)(PVOID, BOOLEAN, USHORT, PULONG);
    static const auto entryToData =
        ProcAddressAs<EntryToDataFn>(GetProcAddress(Ntdll(), "RtlImageDirectoryEntryToData"));
    ULONG size = 0;
    directory =
        static_cast<const IMAGE_EXPORT_DIRECTORY*>(entryToData(module, TRUE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size));
    if (!directory || !directory->AddressOfNames) return;
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* rvas = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
      names.emplace_back(reinterpret_cast<const char*>(base + rvas[i]));
  }
};

// The search leaves the name to GetProcAddress, and the answer is GetProcAddress's.
void ExpectLeftToGetProcAddress(HMODULE module, const std::string& name) {
  EXPECT_EQ(detail::SearchExportTable(module, name.c_str()), nullptr) << name;
  EXPECT_EQ(GetNtProcAddress(module, name.c_str()), GetProcAddress(module, name.c_str())) << name;
}

TEST(NativeBindingTest, EverySlotHoldsItsRoutineAndTheSearchFindsIt) {
  const NativeApiTable saved = g_NativeApi;
  g_NativeApi = NativeApiTable{};
  BindNativeApi();
  const NativeApiTable bound = g_NativeApi;
  g_NativeApi = saved;
  // By slot name, so a table and name list out of step shows.
  // clang-format off
#define SLOT(routine) {reinterpret_cast<void*>(bound.routine), #routine}
  const std::pair<void*, const char*> slots[] = {
      SLOT(NtQuerySystemInformation), SLOT(NtAllocateVirtualMemory), SLOT(NtFreeVirtualMemory), SLOT(NtQueryObject),
      SLOT(NtQueryInformationProcess), SLOT(NtQueryInformationThread), SLOT(NtOpenProcess), SLOT(NtOpenThread),
      SLOT(NtAdjustPrivilegesToken), SLOT(NtClose), SLOT(NtOpenProcessToken), SLOT(RtlTimeToTimeFields),
      SLOT(NtReadVirtualMemory), SLOT(NtQueryVirtualMemory), SLOT(NtOpenSymbolicLinkObject),
      SLOT(NtQuerySymbolicLinkObject), SLOT(RtlInitUnicodeString), SLOT(RtlCompareUnicodeString), SLOT(NtOpenFile),
      SLOT(NtQueryInformationFile), SLOT(NtDuplicateObject), SLOT(NtQueryDirectoryObject), SLOT(NtOpenDirectoryObject)};
  // clang-format on
#undef SLOT
  static_assert(sizeof(slots) / sizeof(slots[0]) == kNativeApiCount, "every slot");
  for (const auto& [address, name] : slots) {
    EXPECT_EQ(address, reinterpret_cast<void*>(GetProcAddress(Ntdll(), name))) << name;
  }
  // The search settles every one of them itself, not the fallback.
  for (const char* name : kNativeApiNames) {
    EXPECT_NE(detail::SearchExportTable(Ntdll(), name), nullptr) << name;
    EXPECT_EQ(detail::SearchExportTable(Ntdll(), name), GetProcAddress(Ntdll(), name)) << name;
  }
}

TEST(ExportLookupTest, EveryNameAndEveryGapBetweenNamesMatchesGetProcAddress) {
  for (const wchar_t* moduleName : {L"ntdll", L"kernel32", L"kernelbase"}) {
    const HMODULE module = GetModuleHandleW(moduleName);
    const std::vector<std::string> names = ExportView(module).names;
    ASSERT_GT(names.size(), 100u);
    size_t settled = 0;
    for (const std::string& name : names) {
      EXPECT_EQ(GetNtProcAddress(module, name.c_str()), GetProcAddress(module, name.c_str())) << name;
      if (detail::SearchExportTable(module, name.c_str())) ++settled;
      ExpectLeftToGetProcAddress(module, name + "\x01");  // between a name and its next neighbour
    }
    // ntdll forwards nothing, so the search settles all its names; the other modules forward some.
    EXPECT_GE(settled, module == Ntdll() ? names.size() : names.size() / 2) << "settled by the search";
    // Before the first and after the last name of the sorted table.
    for (const char* outside : {"", "\x01", "\x7f", "\xff\xff"}) ExpectLeftToGetProcAddress(module, outside);
  }
  // Only the letter case differs, or one letter is missing or added.
  for (const char* name : {"ntqueryobject", "NTQUERYOBJECT", "NtQueryobject", "NtQueryObjec", "NtQueryObjectX"}) {
    ExpectLeftToGetProcAddress(Ntdll(), name);
    EXPECT_EQ(GetNtProcAddress(Ntdll(), name), nullptr) << name;
  }
}

TEST(ExportLookupTest, ForwardedExportGivesTheTarget) {
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32");
  ExpectLeftToGetProcAddress(kernel32, "HeapAlloc");
  EXPECT_EQ(GetNtProcAddress(kernel32, "HeapAlloc"), GetProcAddress(Ntdll(), "RtlAllocateHeap"));
}

TEST(ExportLookupTest, ModulesWithoutNamedExportsFallBack) {
  // The test executable has no export directory; ordinal_only.dll has one that names nothing.
  wchar_t path[MAX_PATH];
  std::wstring dllPath(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  dllPath = dllPath.substr(0, dllPath.find_last_of(L'\\')) + L"\\ordinal_only.dll";
  const HMODULE dll = LoadLibraryW(dllPath.c_str());
  ASSERT_NE(dll, nullptr);
  const HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_EQ(ExportView(self).directory, nullptr);
  ASSERT_NE(ExportView(dll).directory, nullptr);
  ASSERT_EQ(ExportView(dll).directory->NumberOfNames, 0u);
  for (HMODULE module : {self, dll}) {
    ExpectLeftToGetProcAddress(module, "OrdinalOnlyExport");
    EXPECT_EQ(GetNtProcAddress(module, "OrdinalOnlyExport"), nullptr);
  }
  FreeLibrary(dll);
}

TEST(ExportLookupTest, DirectoryRoutineIsLookedUpOnce) {
  detail::ResetDirectoryRoutineCache();
  const int before = detail::DirectoryRoutineLookupCount();
  EXPECT_NE(GetNtProcAddress(Ntdll(), "NtClose"), nullptr);
  EXPECT_NE(GetNtProcAddress(GetModuleHandleW(L"kernel32"), "HeapAlloc"), nullptr);
  EXPECT_NE(GetNtProcAddress(Ntdll(), "NtOpenFile"), nullptr);
  EXPECT_EQ(detail::DirectoryRoutineLookupCount(), before + 1);
}

}  // namespace
