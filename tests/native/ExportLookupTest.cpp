// Binding and export lookup against the real system modules.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "native/ExportLookup.h"
#include "tests/support/SlotOverride.h"

namespace {

HMODULE Ntdll() { return GetModuleHandleW(L"ntdll"); }

// The module's sorted export names, read from its headers independently of the code under test.
std::vector<std::string> ExportNames(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
  const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + rva);
  std::vector<std::string> names;
  for (DWORD i = 0; rva != 0 && i < directory->NumberOfNames; ++i)
    names.emplace_back(
        reinterpret_cast<const char*>(base + reinterpret_cast<const DWORD*>(base + directory->AddressOfNames)[i]));
  return names;
}

TEST(NativeBindingTest, EverySlotHoldsTheRoutineOfItsName) {
  const NativeApiTable saved = g_NativeApi;
  g_NativeApi = NativeApiTable{};
  BindNativeApi();
  const NativeApiTable bound = g_NativeApi;
  g_NativeApi = saved;
  // By slot name, so a name list out of step with the table shows.
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
  for (const auto& [address, name] : slots)
    EXPECT_EQ(address, reinterpret_cast<void*>(GetProcAddress(Ntdll(), name))) << name;
}

// Every name, the gap after each name and both ends of the sorted table give GetProcAddress's answer; ntdll's
// names are all settled by the search itself, kernel32 forwards some (HeapAlloc to ntdll). The directory routine
// is looked up once for all of it.
TEST(ExportLookupTest, AgreesWithGetProcAddressOnEveryNameAndGap) {
  detail::ResetDirectoryRoutineCache();
  const int lookups = detail::DirectoryRoutineLookupCount();
  for (const HMODULE module : {Ntdll(), GetModuleHandleW(L"kernel32")}) {
    const std::vector<std::string> names = ExportNames(module);
    ASSERT_GT(names.size(), 100u);
    std::vector<std::string> misses = {"", "\x01", "\xff\xff", "ntqueryobject"};
    for (const std::string& name : names) {
      EXPECT_EQ(GetNtProcAddress(module, name.c_str()), GetProcAddress(module, name.c_str())) << name;
      if (module == Ntdll()) EXPECT_NE(detail::SearchExportTable(module, name.c_str()), nullptr) << name;
      misses.push_back(name + "\x01");
    }
    for (const std::string& name : misses) EXPECT_EQ(detail::SearchExportTable(module, name.c_str()), nullptr) << name;
  }
  EXPECT_EQ(GetNtProcAddress(GetModuleHandleW(L"kernel32"), "HeapAlloc"), GetProcAddress(Ntdll(), "RtlAllocateHeap"));
  EXPECT_EQ(GetNtProcAddress(GetModuleHandleW(nullptr), "main"), nullptr);  // no export directory
  EXPECT_EQ(detail::DirectoryRoutineLookupCount(), lookups + 1);
}

}  // namespace
