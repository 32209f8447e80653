// The native routines Halvern calls, bound by name from ntdll at start-up.
//
// Every caller goes through the one global table, so tests can put a fake
// routine into a slot (see tests/support/SlotOverride.h).
#pragma once

#include <windows.h>
#include <winternl.h>

// Broken-down time as RtlTimeToTimeFields fills it.
struct NativeTimeFields {
  SHORT Year;
  SHORT Month;
  SHORT Day;
  SHORT Hour;
  SHORT Minute;
  SHORT Second;
  SHORT Milliseconds;
  SHORT Weekday;
};

// Status values the code tests by name.
constexpr NTSTATUS kStatusSuccess = 0x00000000;
constexpr NTSTATUS kStatusNotAllAssigned = 0x00000106;
constexpr NTSTATUS kStatusBufferOverflow = static_cast<NTSTATUS>(0x80000005);
constexpr NTSTATUS kStatusNoMoreEntries = static_cast<NTSTATUS>(0x8000001A);
constexpr NTSTATUS kStatusNotImplemented = static_cast<NTSTATUS>(0xC0000002);
constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);

inline bool NtSuccess(NTSTATUS status) { return status >= 0; }

// The pseudo-handle of the current process.
inline HANDLE NtCurrentProcessHandle() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

using PFN_NtQuerySystemInformation = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using PFN_NtAllocateVirtualMemory = NTSTATUS(NTAPI*)(HANDLE, PVOID*, ULONG_PTR, PSIZE_T, ULONG, ULONG);
using PFN_NtFreeVirtualMemory = NTSTATUS(NTAPI*)(HANDLE, PVOID*, PSIZE_T, ULONG);
using PFN_NtQueryObject = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using PFN_NtQueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using PFN_NtQueryInformationThread = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using PFN_NtOpenProcess = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*);
using PFN_NtOpenThread = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*);
using PFN_NtAdjustPrivilegesToken = NTSTATUS(NTAPI*)(HANDLE, BOOLEAN, PTOKEN_PRIVILEGES, ULONG, PTOKEN_PRIVILEGES,
                                                     PULONG);
using PFN_NtClose = NTSTATUS(NTAPI*)(HANDLE);
using PFN_NtOpenProcessToken = NTSTATUS(NTAPI*)(HANDLE, ACCESS_MASK, PHANDLE);
using PFN_RtlTimeToTimeFields = VOID(NTAPI*)(PLARGE_INTEGER, NativeTimeFields*);
using PFN_NtReadVirtualMemory = NTSTATUS(NTAPI*)(HANDLE, PVOID, PVOID, SIZE_T, PSIZE_T);
using PFN_NtQueryVirtualMemory = NTSTATUS(NTAPI*)(HANDLE, PVOID, ULONG, PVOID, SIZE_T, PSIZE_T);
using PFN_NtOpenSymbolicLinkObject = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using PFN_NtQuerySymbolicLinkObject = NTSTATUS(NTAPI*)(HANDLE, PUNICODE_STRING, PULONG);
using PFN_RtlInitUnicodeString = VOID(NTAPI*)(PUNICODE_STRING, PCWSTR);
using PFN_RtlCompareUnicodeString = LONG(NTAPI*)(const UNICODE_STRING*, const UNICODE_STRING*, BOOLEAN);
using PFN_NtOpenFile = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG);
using PFN_NtQueryInformationFile = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using PFN_NtDuplicateObject = NTSTATUS(NTAPI*)(HANDLE, HANDLE, HANDLE, PHANDLE, ACCESS_MASK, ULONG, ULONG);
using PFN_NtQueryDirectoryObject = NTSTATUS(NTAPI*)(HANDLE, PVOID, ULONG, BOOLEAN, BOOLEAN, PULONG, PULONG);
using PFN_NtOpenDirectoryObject = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);

// The 23 slots, in binding order. A slot is null until BindNativeApi fills it.
struct NativeApiTable {
  PFN_NtQuerySystemInformation NtQuerySystemInformation;
  PFN_NtAllocateVirtualMemory NtAllocateVirtualMemory;
  PFN_NtFreeVirtualMemory NtFreeVirtualMemory;
  PFN_NtQueryObject NtQueryObject;
  PFN_NtQueryInformationProcess NtQueryInformationProcess;
  PFN_NtQueryInformationThread NtQueryInformationThread;
  PFN_NtOpenProcess NtOpenProcess;
  PFN_NtOpenThread NtOpenThread;
  PFN_NtAdjustPrivilegesToken NtAdjustPrivilegesToken;
  PFN_NtClose NtClose;
  PFN_NtOpenProcessToken NtOpenProcessToken;
  PFN_RtlTimeToTimeFields RtlTimeToTimeFields;
  PFN_NtReadVirtualMemory NtReadVirtualMemory;
  PFN_NtQueryVirtualMemory NtQueryVirtualMemory;
  PFN_NtOpenSymbolicLinkObject NtOpenSymbolicLinkObject;
  PFN_NtQuerySymbolicLinkObject NtQuerySymbolicLinkObject;
  PFN_RtlInitUnicodeString RtlInitUnicodeString;
  PFN_RtlCompareUnicodeString RtlCompareUnicodeString;
  PFN_NtOpenFile NtOpenFile;
  PFN_NtQueryInformationFile NtQueryInformationFile;
  PFN_NtDuplicateObject NtDuplicateObject;
  PFN_NtQueryDirectoryObject NtQueryDirectoryObject;
  PFN_NtOpenDirectoryObject NtOpenDirectoryObject;
};

constexpr size_t kNativeApiCount = 23;
static_assert(sizeof(NativeApiTable) == kNativeApiCount * sizeof(void*), "one slot per routine");

// The process-wide table.
extern NativeApiTable g_NativeApi;

// The export names in binding order, one per slot.
extern const char* const kNativeApiNames[kNativeApiCount];

// Converts a looked-up address to a routine type; going through void (*)()
// keeps the cast free of function-type warnings.
template <typename Fn>
Fn ProcAddressAs(FARPROC address) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

// Looks an export up by a binary search of the module's export-name table;
// whatever the search does not settle goes to GetProcAddress.
FARPROC GetNtProcAddress(HMODULE module, const char* name);

// Fills the 23 slots from ntdll, in table order. Called once at start-up.
void BindNativeApi();
