// Opening a process by id and enabling the debug privilege in the own token.
#include "native/NativeOwners.h"
#include "native/NativeQuery.h"

namespace {

constexpr ACCESS_MASK kTokenAdjustAndQuery = TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY;
// SeDebugPrivilege has this fixed LUID on every system, so it is not looked up by name.
constexpr DWORD kSeDebugPrivilegeLuid = 20;

static_assert(sizeof(OBJECT_ATTRIBUTES) == 48, "64-bit OBJECT_ATTRIBUTES");
static_assert(sizeof(TOKEN_PRIVILEGES) == 16, "one LUID_AND_ATTRIBUTES");

}  // namespace

HANDLE OpenProcessById(ULONG_PTR processId, ACCESS_MASK desiredAccess) {
  if (processId == 0) return nullptr;
  OBJECT_ATTRIBUTES attributes = {};
  attributes.Length = sizeof(attributes);
  CLIENT_ID clientId = {};
  clientId.UniqueProcess = reinterpret_cast<HANDLE>(processId);
  clientId.UniqueThread = nullptr;
  HANDLE process = nullptr;
  const NTSTATUS status = g_NativeApi.NtOpenProcess(&process, desiredAccess, &attributes, &clientId);
  return NtSuccess(status) ? process : nullptr;
}

bool EnableDebugPrivilege() {
  HANDLE rawToken = nullptr;
  if (!NtSuccess(g_NativeApi.NtOpenProcessToken(NtCurrentProcessHandle(), kTokenAdjustAndQuery, &rawToken))) {
    return false;
  }
  UniqueNtHandle token(rawToken);
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid.LowPart = kSeDebugPrivilegeLuid;
  privileges.Privileges[0].Luid.HighPart = 0;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  const NTSTATUS status =
      g_NativeApi.NtAdjustPrivilegesToken(token.Get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
  // Success with STATUS_NOT_ALL_ASSIGNED means the token does not hold the privilege.
  return NtSuccess(status) && status != kStatusNotAllAssigned;
}
