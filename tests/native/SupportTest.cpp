// The shared test support: slot overrides, leak counters and child processes.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "native/NativeOwners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

NTSTATUS NTAPI FakeCloseA(HANDLE) { return 1; }
NTSTATUS NTAPI FakeCloseB(HANDLE) { return 2; }

TEST(SlotOverrideTest, RestoresTheSlotInReverseOrder) {
  EnsureNativeApiBound();
  const PFN_NtClose real = g_NativeApi.NtClose;
  ASSERT_NE(real, nullptr);
  {
    ScopedSlotOverride outer(g_NativeApi.NtClose, &FakeCloseA);
    EXPECT_EQ(g_NativeApi.NtClose(nullptr), 1);
    {
      ScopedSlotOverride inner(g_NativeApi.NtClose, &FakeCloseB);
      EXPECT_EQ(g_NativeApi.NtClose(nullptr), 2);
      EXPECT_EQ(inner.Saved(), &FakeCloseA);
    }
    EXPECT_EQ(g_NativeApi.NtClose(nullptr), 1);
  }
  EXPECT_EQ(g_NativeApi.NtClose, real);
}

class LeakCountersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
  // gtest's first intercepted failure starts a watcher thread (handles and a
  // stack) that stays; let that happen before any counts are taken.
  void SetUp() override { EXPECT_NONFATAL_FAILURE(ADD_FAILURE() << "warm-up", "warm-up"); }
};

TEST_F(LeakCountersTest, BalancedWorkAndHeapChurnPass) {
  FreeNativeBuffer(AllocNativeBuffer(4096));
  const LeakCounts before = TakeLeakCounts();
  EXPECT_GT(before.handles, 0u);
  for (int i = 0; i < 100; ++i) {
    UniqueNativeBuffer buffer(AllocNativeBuffer(10000));
    UniqueNtHandle process(OpenProcessById(GetCurrentProcessId(), 0x1000));
    std::vector<std::unique_ptr<std::wstring>> strings;
    for (int j = 0; j < 100; ++j) strings.emplace_back(new std::wstring(50 + j, L'x'));
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST_F(LeakCountersTest, DetectsOneLeakedBuffer) {
  FreeNativeBuffer(AllocNativeBuffer(4096));
  const LeakCounts before = TakeLeakCounts();
  NativeBuffer leaked = AllocNativeBuffer(100);
  ASSERT_NE(leaked, nullptr);
  const LeakCounts after = TakeLeakCounts();
  EXPECT_EQ(after.committedPrivateRegions, before.committedPrivateRegions + 1);
  EXPECT_EQ(after.committedPrivateBytes, before.committedPrivateBytes + 4096);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(before, after), "committed private memory grew");
  FreeNativeBuffer(leaked);
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST_F(LeakCountersTest, DetectsOneLeakedHandle) {
  const LeakCounts before = TakeLeakCounts();
  HANDLE leaked = OpenProcessById(GetCurrentProcessId(), 0x1000);
  ASSERT_NE(leaked, nullptr);
  const LeakCounts after = TakeLeakCounts();
  EXPECT_EQ(after.handles, before.handles + 1);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(before, after), "open handles changed");
  g_NativeApi.NtClose(leaked);
  ExpectNoLeaks(before, TakeLeakCounts());
}

BOOL IsWow64(HANDLE process) {
  BOOL wow64 = FALSE;
  EXPECT_TRUE(IsWow64Process(process, &wow64));
  return wow64;
}

size_t ThreadCount(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  size_t count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == pid) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

bool EventExists(const wchar_t* name) {
  HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, name);
  if (event) CloseHandle(event);
  return event != nullptr;
}

TEST(ChildProcessTest, StartsBothBitnessesAndStopsThem) {
  for (bool wow64 : {false, true}) {
    const std::wstring path = HelperPath(wow64);
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "helper built next to the tests";
    {
      ChildProcess warmUp;  // the first start of a bitness may load more of the system
      ASSERT_TRUE(warmUp.Start(wow64, L"--wait"));
    }
    const LeakCounts before = TakeLeakCounts();
    ChildProcess child;
    ASSERT_TRUE(child.Start(wow64, L"--wait --threads 3 --event HalvernHelperEvent a known text --event Ignored"));
    EXPECT_EQ(IsWow64(child.Handle()), wow64 ? TRUE : FALSE);
    EXPECT_EQ(GetProcessId(child.Handle()), child.Pid());
    EXPECT_EQ(child.ImagePath(), path);
    EXPECT_EQ(child.CommandLine().find(L"\"" + path + L"\" --ready "), 0u);
    EXPECT_NE(child.CommandLine().find(L"a known text --event Ignored"), std::wstring::npos);
    EXPECT_GE(ThreadCount(child.Pid()), 4u) << "the main thread and three sleepers";
    EXPECT_TRUE(EventExists(L"HalvernHelperEvent"));
    EXPECT_FALSE(EventExists(L"Ignored")) << "options after free text are ignored";

    HANDLE watch = nullptr;
    ASSERT_TRUE(
        DuplicateHandle(GetCurrentProcess(), child.Handle(), GetCurrentProcess(), &watch, SYNCHRONIZE, FALSE, 0));
    EXPECT_EQ(WaitForSingleObject(watch, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "--wait keeps it running";
    child.Stop();
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0) << "Stop waits for the end";
    CloseHandle(watch);
    EXPECT_EQ(child.Handle(), nullptr);
    EXPECT_FALSE(EventExists(L"HalvernHelperEvent"));
    ExpectNoLeaks(before, TakeLeakCounts());
  }
}

TEST(ChildProcessTest, WithoutWaitTheChildEndsAfterSignalling) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--debug first --debug second"));
  EXPECT_EQ(WaitForSingleObject(child.Handle(), 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(child.Handle(), &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
