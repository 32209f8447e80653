// Binding and export lookup against the real system modules.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "native/ExportLookup.h"
#include "tests/support/SlotOverride.h"

namespace {

HMODULE Ntdll() { return GetModuleHandleW(L"ntdll"); }

TEST(NativeBindingTest, EverySlotHoldsTheRoutineOfItsName) {
  EnsureNativeApiBound();
  // clang-format off
#define SLOT(routine) {reinterpret_cast<void*>(g_NativeApi.routine), #routine}
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

// Every name, the gap after each and both ends of the sorted table agree with GetProcAddress; kernel32 forwards some.
TEST(ExportLookupTest, AgreesWithGetProcAddressOnEveryNameAndGap) {
  for (const HMODULE module : {Ntdll(), GetModuleHandleW(L"kernel32")}) {
    const auto* base = reinterpret_cast<const BYTE*>(module);  // the names read independently of the search
    const auto* nt = PIMAGE_NT_HEADERS(base + PIMAGE_DOS_HEADER(module)->e_lfanew);
    const auto* exports = PIMAGE_EXPORT_DIRECTORY(base + nt->OptionalHeader.DataDirectory[0].VirtualAddress);
    ASSERT_GT(exports->NumberOfNames, 100u);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
      const std::string name(reinterpret_cast<const char*>(base + PDWORD(base + exports->AddressOfNames)[i]));
      EXPECT_EQ(GetNtProcAddress(module, name.c_str()), GetProcAddress(module, name.c_str())) << name;
      EXPECT_TRUE(module != Ntdll() || detail::SearchExportTable(module, name.c_str())) << name;  // no fallback
      EXPECT_EQ(detail::SearchExportTable(module, (name + "\x01").c_str()), nullptr) << name;
    }
    for (const char* miss : {"", "\x01", "\xff\xff", "ntqueryobject"})
      EXPECT_EQ(detail::SearchExportTable(module, miss), nullptr) << miss;
  }
  EXPECT_EQ(GetNtProcAddress(GetModuleHandleW(nullptr), "main"), nullptr);  // no export directory
}

}  // namespace
