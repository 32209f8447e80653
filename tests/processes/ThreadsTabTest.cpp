// The threads tab: a child's real threads, and a fake snapshot for states,
// wait reasons, long times, the TEB fallback, process 0 and a process that
// has gone.
#include <windows.h>

#include <cstring>
#include <set>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/processes/DetailPageFixture.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "views/processes/CTabPage1.h"

namespace {

using ThreadsTabTest = DetailPageFixture<CTabPage1, IDD_TABPAGE1>;

TEST_F(ThreadsTabTest, ListsExactlyTheChildsThreads) {
  EXPECT_EQ(m_page.m_list.GetExtendedStyle(), 0x10021u);
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait --threads 2"));
  Choose(child.Pid());
  const int rows = Show();
  ASSERT_EQ(rows, 3);
  std::set<DWORD> listed;
  for (int row = 0; row < rows; ++row) {
    listed.insert(static_cast<DWORD>(_wtoi(Cell(row, 1))));
    EXPECT_NE(Cell(row, 6), CString(L"0x0000000000000000"));
    EXPECT_EQ(Cell(row, 8).GetLength(), 38) << Cell(row, 8);
  }
  EXPECT_EQ(listed, ThreadIdsOf(child.Pid()));

  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Show(), 3);
  m_page.ShowWindow(SW_HIDE);
  ExpectNoLeaks(before, TakeLeakCounts());
}

constexpr ULONG_PTR kFakePid = 77;
constexpr int64_t kMinute = 600000000LL;

// GCC sees the gs-relative read behind NtCurrentTeb as an out-of-bounds access.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* OwnTeb() { return NtCurrentTeb(); }
#pragma GCC diagnostic pop

void Put(BYTE* at, uint64_t value, size_t size) { std::memcpy(at, &value, size); }

// Process 0 with one thread, then process 77 with two: a waiting thread with
// long times, and one with out-of-range names and no TEB in the snapshot,
// which is this test's own thread.
NTSTATUS NTAPI FakeSnapshot(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  constexpr ULONG kFirst = 0x100 + 0x88, kNeeded = kFirst + 0x100 + 2 * 0x88;
  if (infoClass != 57) return kStatusNotImplemented;
  *returned = kNeeded;
  if (size < kNeeded) return kStatusInfoLengthMismatch;
  BYTE* idle = static_cast<BYTE*>(buffer);
  Put(idle, kFirst, 4);
  Put(idle + 0x04, 1, 4);
  Put(idle + 0x100 + 0x68, 0x1000, 8);
  BYTE* process = idle + kFirst;
  Put(process + 0x04, 2, 4);
  Put(process + 0x50, kFakePid, 8);
  BYTE* waiting = process + 0x100;
  Put(waiting + 0x00, 25 * 60 * kMinute + 3 * kMinute, 8);                        // kernel 25:03
  Put(waiting + 0x10, 154000 * 24 * 60 * kMinute + (23 * 60 + 30) * kMinute, 8);  // a day in 2022, 23:30 UTC
  Put(waiting + 0x20, 0x7FF612340000, 8);
  Put(waiting + 0x30, 4242, 8);
  Put(waiting + 0x38, 0xFFFFFFFF, 4);
  Put(waiting + 0x40, 0x80000000, 4);
  Put(waiting + 0x44, 5, 4);
  Put(waiting + 0x48, 6, 4);
  Put(waiting + 0x50, 0xFFFFF80012345000, 8);
  Put(waiting + 0x58, 0xA000, 8);
  Put(waiting + 0x68, 0x7FFDE000, 8);
  BYTE* odd = waiting + 0x88;
  Put(odd + 0x28, GetCurrentProcessId(), 8);
  Put(odd + 0x30, GetCurrentThreadId(), 8);
  Put(odd + 0x44, 9, 4);
  Put(odd + 0x48, 40, 4);
  return kStatusSuccess;
}

TEST_F(ThreadsTabTest, FakeSnapshotRows) {
  ScopedSlotOverride snapshot(g_NativeApi.NtQuerySystemInformation, &FakeSnapshot);
  Choose(kFakePid);
  ASSERT_EQ(Show(), 2);
  const CString waiting[] = {L"   0",
                             L"4242",
                             L"0x00007FF612340000/0x0000000000000000",
                             L"-1",
                             L"Waiting(UserRequest)",
                             L"0xFFFFF80012345000/0xA000",
                             L"0x000000007FFDE000",
                             L"2147483648",
                             L"23:30:00.000/00:00:00.000/25:03:00.000"};
  for (int column = 0; column < 9; ++column) EXPECT_EQ(Cell(0, column), waiting[column]) << column;

  EXPECT_EQ(Cell(1, 0), CString(L"   1"));
  EXPECT_EQ(Cell(1, 4), CString(L"9(40)"));
  CString teb;
  teb.Format(L"0x%p", OwnTeb());
  EXPECT_EQ(Cell(1, 6), teb);  // asked of the thread itself

  Choose(0);
  ASSERT_EQ(Show(), 1);
  EXPECT_EQ(Cell(0, 6), CString(L"0x0000000000001000"));
  Choose(555);  // gone
  EXPECT_EQ(Show(), 0);
}

}  // namespace
