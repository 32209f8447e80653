// The process-wide table of native routines and its binding from ntdll.
#include <type_traits>

#include "native/NativeApi.h"

NativeApiTable g_NativeApi;

const char* const kNativeApiNames[kNativeApiCount] = {
    "NtQuerySystemInformation",
    "NtAllocateVirtualMemory",
    "NtFreeVirtualMemory",
    "NtQueryObject",
    "NtQueryInformationProcess",
    "NtQueryInformationThread",
    "NtOpenProcess",
    "NtOpenThread",
    "NtAdjustPrivilegesToken",
    "NtClose",
    "NtOpenProcessToken",
    "RtlTimeToTimeFields",
    "NtReadVirtualMemory",
    "NtQueryVirtualMemory",
    "NtOpenSymbolicLinkObject",
    "NtQuerySymbolicLinkObject",
    "RtlInitUnicodeString",
    "RtlCompareUnicodeString",
    "NtOpenFile",
    "NtQueryInformationFile",
    "NtDuplicateObject",
    "NtQueryDirectoryObject",
    "NtOpenDirectoryObject",
};

void BindNativeApi() {
  // ntdll is mapped into every process, so the handle is not tested; a name
  // that cannot be found leaves its slot null.
  HMODULE ntdll = GetModuleHandleW(L"ntdll");
  size_t next = 0;
  auto bind = [ntdll, &next](auto& slot) {
    using Slot = std::remove_reference_t<decltype(slot)>;
    slot = ProcAddressAs<Slot>(GetNtProcAddress(ntdll, kNativeApiNames[next++]));
  };
  NativeApiTable& api = g_NativeApi;
  bind(api.NtQuerySystemInformation);
  bind(api.NtAllocateVirtualMemory);
  bind(api.NtFreeVirtualMemory);
  bind(api.NtQueryObject);
  bind(api.NtQueryInformationProcess);
  bind(api.NtQueryInformationThread);
  bind(api.NtOpenProcess);
  bind(api.NtOpenThread);
  bind(api.NtAdjustPrivilegesToken);
  bind(api.NtClose);
  bind(api.NtOpenProcessToken);
  bind(api.RtlTimeToTimeFields);
  bind(api.NtReadVirtualMemory);
  bind(api.NtQueryVirtualMemory);
  bind(api.NtOpenSymbolicLinkObject);
  bind(api.NtQuerySymbolicLinkObject);
  bind(api.RtlInitUnicodeString);
  bind(api.RtlCompareUnicodeString);
  bind(api.NtOpenFile);
  bind(api.NtQueryInformationFile);
  bind(api.NtDuplicateObject);
  bind(api.NtQueryDirectoryObject);
  bind(api.NtOpenDirectoryObject);
}
