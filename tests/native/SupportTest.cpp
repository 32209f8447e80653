// The test support the other tests rely on: the leak counters see a single
// leak, and helper children of both bitnesses start and open by id.
#include <windows.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "native/NativeOwners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

TEST(LeakCountersTest, DetectOneLeakedBufferAndOneLeakedHandle) {
  EnsureNativeApiBound();
  // gtest's first intercepted failure starts a watcher thread (handles and a
  // stack) that stays; let that happen before any counts are taken.
  EXPECT_NONFATAL_FAILURE(ADD_FAILURE() << "warm-up", "warm-up");
  FreeNativeBuffer(AllocNativeBuffer(4096));
  CloseHandle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId()));
  const LeakCounts before = TakeLeakCounts();

  NativeBuffer buffer = AllocNativeBuffer(100);
  ASSERT_NE(buffer, nullptr);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(before, TakeLeakCounts()), "committed private memory grew");
  FreeNativeBuffer(buffer);

  HANDLE handle = OpenProcessById(GetCurrentProcessId(), PROCESS_QUERY_LIMITED_INFORMATION);
  ASSERT_NE(handle, nullptr);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(before, TakeLeakCounts()), "open handles changed");
  g_NativeApi.NtClose(handle);
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST(ChildProcessTest, BothBitnessesStartAndOpenById) {
  EnsureNativeApiBound();
  for (bool wow64 : {false, true}) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(wow64, L"--wait")) << "helper built next to the tests?";
    BOOL isWow64 = !wow64;
    EXPECT_TRUE(IsWow64Process(child.Handle(), &isWow64));
    EXPECT_EQ(isWow64, wow64 ? TRUE : FALSE);
    EXPECT_EQ(child.ImagePath(), HelperPath(wow64));
    for (ACCESS_MASK access : {PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, PROCESS_QUERY_LIMITED_INFORMATION}) {
      UniqueNtHandle process(OpenProcessById(child.Pid(), access));
      ASSERT_TRUE(process) << std::hex << access;
      EXPECT_EQ(GetProcessId(process.Get()), child.Pid());
    }
    child.Stop();
    EXPECT_EQ(child.Handle(), nullptr);
  }
}

}  // namespace
