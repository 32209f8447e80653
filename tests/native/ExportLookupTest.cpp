// Binding and export lookup against the real system modules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "native/ExportLookup.h"
#include "tests/support/SlotOverride.h"

namespace {

using DirectoryEntryFn = PVOID(NTAPI*)(PVOID, BOOLEAN, USHORT, PULONG);

HMODULE Ntdll() { return GetModuleHandleW(L"ntdll"); }

// A module's export directory as the system reports it; independent of the
// code under test.
struct ExportView {
  const BYTE* base = nullptr;
  const IMAGE_EXPORT_DIRECTORY* directory = nullptr;
  ULONG size = 0;

  explicit ExportView(HMODULE module) : base(reinterpret_cast<const BYTE*>(module)) {
    static const auto entryToData =
        ProcAddressAs<DirectoryEntryFn>(GetProcAddress(Ntdll(), "RtlImageDirectoryEntryToData"));
    directory =
        static_cast<const IMAGE_EXPORT_DIRECTORY*>(entryToData(module, TRUE, IMAGE_DIRECTORY_ENTRY_EXPORT, &size));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    if (!directory || !directory->AddressOfNames) return names;
    const auto* rvas = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
      names.emplace_back(reinterpret_cast<const char*>(base + rvas[i]));
    return names;
  }
  bool Contains(FARPROC address) const {
    const auto* at = reinterpret_cast<const BYTE*>(address);
    const auto* start = reinterpret_cast<const BYTE*>(directory);
    return at >= start && at < start + size;
  }
};

std::wstring TestFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// The search settles it, and with GetProcAddress's address.
void ExpectFoundBySearch(HMODULE module, const std::string& name) {
  const FARPROC expected = GetProcAddress(module, name.c_str());
  EXPECT_NE(expected, nullptr) << name;
  EXPECT_EQ(detail::SearchExportTable(module, name.c_str()), expected) << name;
  EXPECT_EQ(GetNtProcAddress(module, name.c_str()), expected) << name;
}

// The search leaves it to GetProcAddress, and the answer is GetProcAddress's.
void ExpectLeftToGetProcAddress(HMODULE module, const std::string& name) {
  EXPECT_EQ(detail::SearchExportTable(module, name.c_str()), nullptr) << name;
  EXPECT_EQ(GetNtProcAddress(module, name.c_str()), GetProcAddress(module, name.c_str())) << name;
}

TEST(NativeBindingTest, FillsEverySlotWithItsRoutine) {
  const NativeApiTable saved = g_NativeApi;
  g_NativeApi = NativeApiTable{};
  BindNativeApi();
  const NativeApiTable bound = g_NativeApi;
  g_NativeApi = saved;
  const HMODULE ntdll = Ntdll();
#define EXPECT_SLOT(routine)                                                                                  \
  EXPECT_EQ(reinterpret_cast<void*>(bound.routine), reinterpret_cast<void*>(GetProcAddress(ntdll, #routine))) \
      << #routine
  EXPECT_SLOT(NtQuerySystemInformation);
  EXPECT_SLOT(NtAllocateVirtualMemory);
  EXPECT_SLOT(NtFreeVirtualMemory);
  EXPECT_SLOT(NtQueryObject);
  EXPECT_SLOT(NtQueryInformationProcess);
  EXPECT_SLOT(NtQueryInformationThread);
  EXPECT_SLOT(NtOpenProcess);
  EXPECT_SLOT(NtOpenThread);
  EXPECT_SLOT(NtAdjustPrivilegesToken);
  EXPECT_SLOT(NtClose);
  EXPECT_SLOT(NtOpenProcessToken);
  EXPECT_SLOT(RtlTimeToTimeFields);
  EXPECT_SLOT(NtReadVirtualMemory);
  EXPECT_SLOT(NtQueryVirtualMemory);
  EXPECT_SLOT(NtOpenSymbolicLinkObject);
  EXPECT_SLOT(NtQuerySymbolicLinkObject);
  EXPECT_SLOT(RtlInitUnicodeString);
  EXPECT_SLOT(RtlCompareUnicodeString);
  EXPECT_SLOT(NtOpenFile);
  EXPECT_SLOT(NtQueryInformationFile);
  EXPECT_SLOT(NtDuplicateObject);
  EXPECT_SLOT(NtQueryDirectoryObject);
  EXPECT_SLOT(NtOpenDirectoryObject);
#undef EXPECT_SLOT
  // The search itself finds every one of them, not only the fallback.
  for (const char* name : kNativeApiNames) ExpectFoundBySearch(ntdll, name);
}

TEST(ExportLookupTest, EveryExportOfTheSystemModulesMatchesGetProcAddress) {
  for (const wchar_t* moduleName : {L"ntdll", L"kernel32", L"kernelbase"}) {
    const HMODULE module = GetModuleHandleW(moduleName);
    ASSERT_NE(module, nullptr);
    const std::vector<std::string> names = ExportView(module).Names();
    ASSERT_GT(names.size(), 100u);
    size_t found = 0;
    for (const std::string& name : names) {
      const FARPROC expected = GetProcAddress(module, name.c_str());
      EXPECT_EQ(GetNtProcAddress(module, name.c_str()), expected) << name;
      if (detail::SearchExportTable(module, name.c_str())) ++found;
    }
    EXPECT_GT(found, names.size() / 2) << "the search settles most names itself";
  }
}

TEST(ExportLookupTest, NamesTheTableDoesNotHoldEndTheSearchWithoutAMatch) {
  const HMODULE ntdll = Ntdll();
  const std::vector<std::string> names = ExportView(ntdll).Names();
  ASSERT_GT(names.size(), 2u);
  // Before the first and after the last name of the sorted table.
  for (const std::string& name : {std::string(""), std::string("\x01"), std::string("\x7f"), std::string("\xff\xff")}) {
    ExpectLeftToGetProcAddress(ntdll, name);
  }
  // Between two neighbours: a name followed by a byte no name continues with.
  for (size_t i : {size_t{0}, names.size() / 3, names.size() / 2, names.size() - 2, names.size() - 1}) {
    ExpectLeftToGetProcAddress(ntdll, names[i] + "\x01");
  }
  // Only the letter case differs, or one letter is missing or added.
  for (const char* name : {"ntqueryobject", "NTQUERYOBJECT", "NtQueryobject", "NtQueryObjec", "NtQueryObjectX"}) {
    ExpectLeftToGetProcAddress(ntdll, name);
    EXPECT_EQ(GetNtProcAddress(ntdll, name), nullptr) << name;
  }
  ExpectFoundBySearch(ntdll, names.front());
  ExpectFoundBySearch(ntdll, names.back());
}

TEST(ExportLookupTest, ForwardedExportGivesTheTarget) {
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32");
  const ExportView exports(kernel32);
  for (const char* name : {"HeapAlloc", "RtlCompareMemory"}) {
    const FARPROC result = GetNtProcAddress(kernel32, name);
    EXPECT_NE(result, nullptr) << name;
    EXPECT_FALSE(exports.Contains(result)) << name << " must not be the forwarder text";
    EXPECT_EQ(result, GetProcAddress(kernel32, name)) << name;
    EXPECT_EQ(detail::SearchExportTable(kernel32, name), nullptr) << name << " is left to GetProcAddress";
  }
  EXPECT_EQ(GetNtProcAddress(kernel32, "HeapAlloc"), GetProcAddress(Ntdll(), "RtlAllocateHeap"));
}

TEST(ExportLookupTest, ModuleWithoutExportDirectoryFallsBack) {
  const HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_EQ(ExportView(self).directory, nullptr) << "the test executable exports nothing";
  ExpectLeftToGetProcAddress(self, "main");
  EXPECT_EQ(GetNtProcAddress(self, "main"), nullptr);
}

TEST(ExportLookupTest, ExportDirectoryThatNamesNothingFallsBack) {
  const HMODULE dll = LoadLibraryW((TestFolder() + L"\\ordinal_only.dll").c_str());
  ASSERT_NE(dll, nullptr);
  const ExportView exports(dll);
  ASSERT_NE(exports.directory, nullptr);
  EXPECT_EQ(exports.directory->NumberOfNames, 0u);
  EXPECT_NE(GetProcAddress(dll, MAKEINTRESOURCEA(1)), nullptr) << "exported by ordinal";
  ExpectLeftToGetProcAddress(dll, "OrdinalOnlyExport");
  EXPECT_EQ(GetNtProcAddress(dll, "OrdinalOnlyExport"), nullptr);
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
