// Opening processes by id and enabling the debug privilege.
#include <gtest/gtest.h>

#include <vector>

#include "native/NativeOwners.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

const HANDLE kFakeHandle = reinterpret_cast<HANDLE>(0x1234);
int g_calls = 0;
NTSTATUS g_status = kStatusSuccess;
CLIENT_ID g_client = {};

NTSTATUS NTAPI FakeOpenProcess(PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID* client) {
  ++g_calls;
  g_client = *client;
  *handle = kFakeHandle;  // written even on failure, which must not get out
  return g_status;
}

TEST(OpenProcessByIdTest, IdZeroCallsNothingAndAFailureGivesNoHandle) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpenProcess);
  g_calls = 0;
  g_status = kStatusSuccess;
  EXPECT_EQ(OpenProcessById(0, 0x1000), nullptr);
  EXPECT_EQ(g_calls, 0);
  EXPECT_EQ(OpenProcessById(0x5678, 0x1000), kFakeHandle);
  EXPECT_EQ(g_client.UniqueProcess, reinterpret_cast<HANDLE>(0x5678));
  g_status = kStatusAccessDenied;
  EXPECT_EQ(OpenProcessById(0x5678, 0x1000), nullptr);
}

bool DebugPrivilegeEnabled() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  std::vector<BYTE> buffer(4096);
  DWORD length = 0;
  bool enabled = false;
  if (GetTokenInformation(token, TokenPrivileges, buffer.data(), static_cast<DWORD>(buffer.size()), &length)) {
    const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
    for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
      const LUID_AND_ATTRIBUTES& entry = privileges->Privileges[i];
      if (entry.Luid.LowPart == 20 && entry.Luid.HighPart == 0) enabled = entry.Attributes & SE_PRIVILEGE_ENABLED;
    }
  }
  CloseHandle(token);
  return enabled;
}

TEST(DebugPrivilegeTest, EnabledInTheOwnToken) {
  EnsureNativeApiBound();
  EXPECT_TRUE(EnableDebugPrivilege());
  EXPECT_TRUE(DebugPrivilegeEnabled());
}

int g_adjustCalls = 0;
NTSTATUS g_adjustStatus = kStatusSuccess;

NTSTATUS NTAPI FakeAdjust(HANDLE, BOOLEAN, PTOKEN_PRIVILEGES, ULONG, PTOKEN_PRIVILEGES, PULONG) {
  ++g_adjustCalls;
  return g_adjustStatus;
}

NTSTATUS NTAPI FailingOpenToken(HANDLE, ACCESS_MASK, PHANDLE token) {
  *token = kFakeHandle;
  return kStatusAccessDenied;
}

TEST(DebugPrivilegeTest, FalseUnlessAssignedAndTheTokenIsAlwaysClosed) {
  EnsureNativeApiBound();
  ScopedSlotOverride adjust(g_NativeApi.NtAdjustPrivilegesToken, &FakeAdjust);
  EnableDebugPrivilege();  // warm-up for the leak counts
  const LeakCounts before = TakeLeakCounts();
  const struct {
    NTSTATUS status;
    bool enabled;
  } cases[] = {{kStatusSuccess, true}, {kStatusNotAllAssigned, false}, {kStatusAccessDenied, false}};
  for (const auto& c : cases) {
    g_adjustStatus = c.status;
    EXPECT_EQ(EnableDebugPrivilege(), c.enabled) << std::hex << c.status;
  }
  ExpectNoLeaks(before, TakeLeakCounts());  // the real token closed each time

  // A token that cannot be opened: nothing adjusted, nothing closed.
  ScopedSlotOverride open(g_NativeApi.NtOpenProcessToken, &FailingOpenToken);
  ScopedSlotOverride close(g_NativeApi.NtClose, [](HANDLE) -> NTSTATUS {
    ADD_FAILURE() << "nothing to close";
    return kStatusSuccess;
  });
  g_adjustCalls = 0;
  EXPECT_FALSE(EnableDebugPrivilege());
  EXPECT_EQ(g_adjustCalls, 0);
}

}  // namespace
