#include "readers/ProcessOwner.h"

#include <aclapi.h>

#include "native/NativeOwners.h"

namespace {

constexpr ACCESS_MASK kProcessOwnerAccess = READ_CONTROL | PROCESS_QUERY_INFORMATION;  // 0x20400
constexpr ACCESS_MASK kTokenOwnerAccess = READ_CONTROL | TOKEN_QUERY;                  // 0x20008
constexpr DWORD kTokenUserBufferSize = 256;

// S-1-5-18, freed with FreeSid.
class LocalSystemSid {
 public:
  LocalSystemSid() {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &m_sid)) {
      m_sid = nullptr;
    }
  }
  ~LocalSystemSid() {
    if (m_sid) FreeSid(m_sid);
  }
  LocalSystemSid(const LocalSystemSid&) = delete;
  LocalSystemSid& operator=(const LocalSystemSid&) = delete;
  PSID Get() const { return m_sid; }

 private:
  PSID m_sid = nullptr;
};

// A security descriptor from GetSecurityInfo, freed with LocalFree.
class UniqueLocalMemory {
 public:
  UniqueLocalMemory() = default;
  ~UniqueLocalMemory() {
    if (m_memory) LocalFree(m_memory);
  }
  UniqueLocalMemory(const UniqueLocalMemory&) = delete;
  UniqueLocalMemory& operator=(const UniqueLocalMemory&) = delete;
  PSECURITY_DESCRIPTOR* Put() { return &m_memory; }

 private:
  PSECURITY_DESCRIPTOR m_memory = nullptr;
};

// The TOKEN_USER of an open process, read into the caller's buffer.
PSID ReadTokenUser(HANDLE process, BYTE (&buffer)[kTokenUserBufferSize]) {
  HANDLE opened = nullptr;
  if (!NtSuccess(g_NativeApi.NtOpenProcessToken(process, kTokenOwnerAccess, &opened))) return nullptr;
  UniqueNtHandle token(opened);
  if (!token) return nullptr;
  DWORD returned = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, buffer, sizeof(buffer), &returned)) return nullptr;
  return reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;
}

}  // namespace

BOOL LookupSidAccountName(PSID sid, WCHAR name[260]) {
  if (!sid) return FALSE;
  DWORD nameLength = 260;
  WCHAR domain[256];
  DWORD domainLength = 255;
  SID_NAME_USE use;
  return LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use);
}

BOOL GetProcessUserName(ULONG_PTR processId, WCHAR name[260]) {
  LocalSystemSid localSystem;
  PSID sid = localSystem.Get();
  alignas(8) BYTE tokenUser[kTokenUserBufferSize];
  UniqueLocalMemory ownerDescriptor;

  // The idle and system processes belong to LocalSystem.
  if (processId != 0 && processId != 4) {
    UniqueNtHandle process(OpenProcessById(processId, kProcessOwnerAccess));
    if (process) {
      if (PSID user = ReadTokenUser(process.Get(), tokenUser)) {
        sid = user;
      } else {
        PSID owner = nullptr;
        if (GetSecurityInfo(process.Get(), SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                            nullptr, ownerDescriptor.Put()) == ERROR_SUCCESS &&
            owner) {
          sid = owner;
        }
      }
    }
  }
  return LookupSidAccountName(sid, name);
}
