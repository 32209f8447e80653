// The process page on a fake snapshot, for what Wine cannot show: the idle
// process, a process that opens only with limited access, odd thread entries.
#include <cstring>

#include "tests/processes/ProcessPageFixture.h"

namespace {

using FakeSnapshotTest = ProcessPageFixture;

constexpr ULONG_PTR kLimitedPid = 1234;
constexpr int64_t kMinute = 600000000LL;

void Put(BYTE* at, uint64_t value, size_t size) { std::memcpy(at, &value, size); }

// The idle process with one thread, then process 1234 with two: a waiting
// thread with long times, and one with out-of-range names and no TEB in the
// snapshot, which is this test's own thread.
NTSTATUS NTAPI FakeProcessSnapshot(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  constexpr ULONG kSecond = 0x188, kName = kSecond + 0x100 + 2 * 0x88, kNeeded = kName + 22;
  if (infoClass != 57) return kStatusNotImplemented;
  *returned = kNeeded;
  if (size < kNeeded) return kStatusInfoLengthMismatch;
  BYTE* idle = static_cast<BYTE*>(buffer);
  BYTE* limited = idle + kSecond;
  // Offset, value, size. After the idle record, its thread; after process
  // 1234, the waiting thread at 0x100 (kernel time 25:03, created on a day
  // in 2022 at 23:30 UTC) and this thread at 0x188.
  // clang-format off
  const uint64_t idleFields[][3] = {
      {0x00, kSecond, 4}, {0x04, 1, 4}, {0x28, 62 * kMinute + 34560000, 8}, {0xB8, 2u << 20, 8}, {0xC0, 3u << 20, 8},
      {0x168, 0x1000, 8}};
  const uint64_t limitedFields[][3] = {
      {0x04, 2, 4}, {0x28, 1503 * kMinute, 8}, {0x38, 22, 2}, {0x40, reinterpret_cast<uintptr_t>(idle + kName), 8},
      {0x48, 24, 4}, {0x50, kLimitedPid, 8}, {0xB8, 2u << 20, 8}, {0xC0, 3u << 20, 8}, {0x100, 1503 * kMinute, 8},
      {0x110, 154000 * 1440 * kMinute + 1410 * kMinute, 8}, {0x120, 0x7FF612340000, 8}, {0x130, 4242, 8},
      {0x138, 0xFFFFFFFF, 4}, {0x140, 0x80000000, 4}, {0x144, 5, 4}, {0x148, 6, 4}, {0x150, 0xFFFFF80012345000, 8},
      {0x158, 0xA000, 8}, {0x168, 0x7FFDE000, 8}, {0x1B0, GetCurrentProcessId(), 8}, {0x1B8, GetCurrentThreadId(), 8},
      {0x1CC, 9, 4}, {0x1D0, 40, 4}};
  // clang-format on
  for (const auto& f : idleFields) Put(idle + f[0], f[1], f[2]);
  for (const auto& f : limitedFields) Put(limited + f[0], f[1], f[2]);
  std::memcpy(idle + kName, L"limited.exe", 22);
  return kStatusSuccess;
}

PFN_NtOpenProcess g_realOpen = nullptr;

// Process 1234 opens with limited access only, as this process.
NTSTATUS NTAPI FakeOpenLimitedOnly(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                   CLIENT_ID* client) {
  if (reinterpret_cast<ULONG_PTR>(client->UniqueProcess) != kLimitedPid || access != 0x1000) return kStatusAccessDenied;
  CLIENT_ID self{reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentProcessId())), nullptr};
  return g_realOpen(handle, access, attributes, &self);
}

// GCC sees the gs-relative read behind NtCurrentTeb as an out-of-bounds access.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
void* OwnTeb() { return NtCurrentTeb(); }
#pragma GCC diagnostic pop

TEST_F(FakeSnapshotTest, IdleAndLimitedAccessRowsAndTheirThreads) {
  ScopedSlotOverride snapshot(g_NativeApi.NtQuerySystemInformation, &FakeProcessSnapshot);
  g_realOpen = g_NativeApi.NtOpenProcess;
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpenLimitedOnly);
  m_page.ShowWindow(SW_SHOW);
  // Limited access: the image file name as a drive-letter path and the PEB
  // address (column 13), but no image base and no command line.
  wchar_t ownPath[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
  ASSERT_EQ(m_page.m_list.GetItemCount(), 2);
  ExpectRows(m_page.m_list, {{L"Idle", L"   0", L"0", L"0", L"Idle", L"", L"0", L"N/A", L"1", L"0", L"*", L"Idle", L"",
                              L"", L"2048/3072 K", L"0/0 K", L"0", L"01:02:03.456/00:00:00.000"},
                             {L"limited.exe", L"   1", L"1234", L"0", ownPath, L"", L"0", L"64-bit", L"2", L"0", L"*",
                              L"Realtime", L"", L"*", L"2048/3072 K", L"0/0 K", L"0", L"25:03:00.000/00:00:00.000"}});
  EXPECT_EQ(Cell(1, 13).GetLength(), 18);

  DoubleClick(1);
  EXPECT_EQ(List(0).GetItemCount(), 0);  // the modules need full access
  SelectDetailTab(1);
  CString tid, teb;
  tid.Format(L"%u", GetCurrentThreadId());
  teb.Format(L"0x%p", OwnTeb());  // asked of the thread itself
  ASSERT_EQ(List(1).GetItemCount(), 2);
  ExpectRows(List(1), {{L"   0", L"4242", L"0x00007FF612340000/0x0000000000000000", L"-1", L"Waiting(UserRequest)",
                        L"0xFFFFF80012345000/0xA000", L"0x000000007FFDE000", L"2147483648",
                        L"23:30:00.000/00:00:00.000/25:03:00.000"},
                       {L"   1", tid, L"0x0000000000000000/0x0000000000000000", L"0", L"9(40)", L"0x0/0x0", teb, L"0",
                        L"00:00:00.000/00:00:00.000/00:00:00.000"}});
}

}  // namespace
