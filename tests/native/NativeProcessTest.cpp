// Opening processes by id and enabling the debug privilege.
#include <gtest/gtest.h>

#include <vector>

#include "native/NativeOwners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

constexpr DWORD kSeDebugPrivilegeLuid = 20;
const HANDLE kFakeHandle = reinterpret_cast<HANDLE>(0x1234);

struct OpenCall {
  ACCESS_MASK access;
  OBJECT_ATTRIBUTES attributes;
  CLIENT_ID clientId;
};
std::vector<OpenCall> g_openCalls;
NTSTATUS g_openStatus = kStatusSuccess;

NTSTATUS NTAPI FakeOpenProcess(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes, CLIENT_ID* id) {
  g_openCalls.push_back({access, *attributes, *id});
  *handle = kFakeHandle;  // written even on failure, which must not leak out
  return g_openStatus;
}

class NativeProcessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
  void SetUp() override {
    g_openCalls.clear();
    g_openStatus = kStatusSuccess;
  }
};

TEST_F(NativeProcessTest, ProcessIdZeroCallsNothing) {
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpenProcess);
  for (ACCESS_MASK access : {0x410u, 0x1000u, 0x40u, 0u}) EXPECT_EQ(OpenProcessById(0, access), nullptr);
  EXPECT_TRUE(g_openCalls.empty());
}

TEST_F(NativeProcessTest, OpensWithEmptyAttributesAndTheIdAsClient) {
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpenProcess);
  EXPECT_EQ(OpenProcessById(0x5678, 0x410), kFakeHandle);
  ASSERT_EQ(g_openCalls.size(), 1u);
  const OpenCall& call = g_openCalls[0];
  EXPECT_EQ(call.access, 0x410u);
  EXPECT_EQ(call.attributes.Length, 48u);
  EXPECT_EQ(call.attributes.RootDirectory, nullptr);
  EXPECT_EQ(call.attributes.ObjectName, nullptr);
  EXPECT_EQ(call.attributes.Attributes, 0u);
  EXPECT_EQ(call.attributes.SecurityDescriptor, nullptr);
  EXPECT_EQ(call.attributes.SecurityQualityOfService, nullptr);
  EXPECT_EQ(call.clientId.UniqueProcess, reinterpret_cast<HANDLE>(0x5678));
  EXPECT_EQ(call.clientId.UniqueThread, nullptr);

  g_openStatus = kStatusAccessDenied;
  EXPECT_EQ(OpenProcessById(0x5678, 0x1000), nullptr);
}

TEST_F(NativeProcessTest, OpensRealProcessesOfBothBitnesses) {
  ChildProcess child64;
  ChildProcess child32;
  ASSERT_TRUE(child64.Start(false, L"--wait"));
  ASSERT_TRUE(child32.Start(true, L"--wait"));
  const LeakCounts before = TakeLeakCounts();
  for (DWORD pid : {GetCurrentProcessId(), child64.Pid(), child32.Pid()}) {
    for (ACCESS_MASK access : {0x410u, 0x1000u}) {
      UniqueNtHandle process(OpenProcessById(pid, access));
      ASSERT_TRUE(process) << pid;
      EXPECT_EQ(GetProcessId(process.Get()), pid);
    }
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

// Records NtAdjustPrivilegesToken's arguments and answers with a set status.
struct AdjustCall {
  HANDLE token;
  BOOLEAN disableAll;
  TOKEN_PRIVILEGES privileges;
  ULONG length;
  PTOKEN_PRIVILEGES previous;
  PULONG returnLength;
};
std::vector<AdjustCall> g_adjustCalls;
NTSTATUS g_adjustStatus = kStatusSuccess;
std::vector<HANDLE> g_openedTokens;
PFN_NtOpenProcessToken g_realOpenToken;

NTSTATUS NTAPI RecordingOpenToken(HANDLE process, ACCESS_MASK access, PHANDLE token) {
  EXPECT_EQ(process, NtCurrentProcessHandle());
  EXPECT_EQ(access, 0x28u);
  const NTSTATUS status = g_realOpenToken(process, access, token);
  if (NtSuccess(status)) g_openedTokens.push_back(*token);
  return status;
}

NTSTATUS NTAPI FailingOpenToken(HANDLE, ACCESS_MASK, PHANDLE token) {
  *token = kFakeHandle;
  return kStatusAccessDenied;
}

NTSTATUS NTAPI FakeAdjust(HANDLE token, BOOLEAN disableAll, PTOKEN_PRIVILEGES privileges, ULONG length,
                          PTOKEN_PRIVILEGES previous, PULONG returnLength) {
  g_adjustCalls.push_back({token, disableAll, *privileges, length, previous, returnLength});
  return g_adjustStatus;
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
      if (entry.Luid.LowPart == kSeDebugPrivilegeLuid && entry.Luid.HighPart == 0) {
        enabled = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
      }
    }
  }
  CloseHandle(token);
  return enabled;
}

TEST_F(NativeProcessTest, EnablesTheDebugPrivilegeInTheOwnToken) {
  EXPECT_TRUE(EnableDebugPrivilege());
  const LeakCounts before = TakeLeakCounts();
  EXPECT_TRUE(EnableDebugPrivilege());
  ExpectNoLeaks(before, TakeLeakCounts());
  EXPECT_TRUE(DebugPrivilegeEnabled());
}

TEST_F(NativeProcessTest, DebugPrivilegeCountsNotAllAssignedAsFailureAndAlwaysClosesTheToken) {
  ScopedSlotOverride open(g_NativeApi.NtOpenProcessToken, &RecordingOpenToken);
  ScopedSlotOverride adjust(g_NativeApi.NtAdjustPrivilegesToken, &FakeAdjust);
  g_realOpenToken = open.Saved();
  EnableDebugPrivilege();  // warm-up for the leak counts
  const LeakCounts before = TakeLeakCounts();
  g_adjustCalls.clear();
  g_openedTokens.clear();
  const struct {
    NTSTATUS status;
    bool expected;
  } cases[] = {{kStatusSuccess, true}, {kStatusNotAllAssigned, false}, {kStatusAccessDenied, false}};
  for (const auto& c : cases) {
    g_adjustStatus = c.status;
    EXPECT_EQ(EnableDebugPrivilege(), c.expected) << std::hex << c.status;
  }
  ExpectNoLeaks(before, TakeLeakCounts());  // every token closed
  ASSERT_EQ(g_adjustCalls.size(), 3u);
  ASSERT_EQ(g_openedTokens.size(), 3u);
  for (size_t i = 0; i < g_adjustCalls.size(); ++i) {
    const AdjustCall& call = g_adjustCalls[i];
    EXPECT_EQ(call.token, g_openedTokens[i]);
    EXPECT_EQ(call.disableAll, FALSE);
    EXPECT_EQ(call.privileges.PrivilegeCount, 1u);
    EXPECT_EQ(call.privileges.Privileges[0].Luid.LowPart, kSeDebugPrivilegeLuid);
    EXPECT_EQ(call.privileges.Privileges[0].Luid.HighPart, 0);
    EXPECT_EQ(call.privileges.Privileges[0].Attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
    EXPECT_EQ(call.length, 16u);
    EXPECT_EQ(call.previous, nullptr);
    EXPECT_EQ(call.returnLength, nullptr);
  }
}

TEST_F(NativeProcessTest, DebugPrivilegeIsFalseWhenTheTokenCannotBeOpened) {
  ScopedSlotOverride open(g_NativeApi.NtOpenProcessToken, &FailingOpenToken);
  ScopedSlotOverride adjust(g_NativeApi.NtAdjustPrivilegesToken, &FakeAdjust);
  ScopedSlotOverride close(g_NativeApi.NtClose, [](HANDLE) -> NTSTATUS {
    ADD_FAILURE() << "nothing to close";
    return kStatusSuccess;
  });
  g_adjustCalls.clear();
  EXPECT_FALSE(EnableDebugPrivilege());
  EXPECT_TRUE(g_adjustCalls.empty());
}

}  // namespace
