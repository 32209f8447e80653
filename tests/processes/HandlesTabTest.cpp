// The handles tab: the objects a child holds, a fake snapshot for process 0,
// the named-pipe rule and the attributes, and the bound on name queries that
// never return.
#include <windows.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/processes/DetailPageFixture.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "views/processes/CTabPage2.h"
#include "views/processes/HandleText.h"

namespace {

class HandlesTabTest : public DetailPageFixture<CTabPage2, IDD_TABPAGE2> {
 protected:
  void SetUp() override {
    DetailPageFixture::SetUp();
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    m_file = std::wstring(folder) + L"halvern-handles-tab.txt";
    CloseHandle(CreateFileW(m_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  }
  void TearDown() override {
    m_child.Stop();
    DeleteFileW(m_file.c_str());
    DetailPageFixture::TearDown();
  }
  bool StartChild(const wchar_t* format) {
    CString args;
    args.Format(format, m_file.c_str(), GetCurrentProcessId(), GetCurrentThreadId());
    return m_child.Start(false, args.GetString());
  }

  std::wstring m_file;
  ChildProcess m_child;
};

TEST_F(HandlesTabTest, RowsOfTheObjectsAChildHolds) {
  ASSERT_TRUE(
      StartChild(L"--wait --event HalvernTabEvent --protected-mutex HalvernTabMutex --file \"%s\" "
                 L"--process %u --thread %u"));
  Choose(m_child.Pid());
  const int rows = Show();
  wchar_t image[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, image, MAX_PATH);
  CString process, thread;
  process.Format(L"%s(%u)", image, GetCurrentProcessId());  // a drive-letter path
  thread.Format(L"%s : %u", process.GetString(), GetCurrentThreadId());
  const struct {
    CString name;
    const wchar_t* type;
    const wchar_t* attributes;
  } expected[] = {
      {L"\\HalvernTabEvent", L"Event(", L"--"},
      {L"\\HalvernTabMutex", L"Mutant(", L"受保护"},
      {L"\\halvern-handles-tab.txt", L"File(", L"--"},
      {process, L"Process(", L"--"},
      {thread, L"Thread(", L"--"},
  };
  for (const auto& e : expected) {
    const int row = RowEndingWith(2, e.name);
    ASSERT_GE(row, 0) << e.type;
    EXPECT_EQ(Cell(row, 1).Left(static_cast<int>(wcslen(e.type))), CString(e.type));
    EXPECT_EQ(Cell(row, 6), CString(e.attributes));
  }
  EXPECT_EQ(Cell(RowEndingWith(2, process), 2), process);
  EXPECT_GE(RowEndingWith(6, L"可继承"), 0);  // the child's standard handles

  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) ASSERT_EQ(Show(), rows);
  m_page.ShowWindow(SW_HIDE);
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST(HandleTextTest, NamingRulesAndNameTexts) {
  using Rule = HandleNamingRule;
  const struct {
    const wchar_t* type;
    uint32_t access;
    Rule rule;
  } rules[] = {
      {L"Process(5)", 0x0012019F, Rule::kProcess}, {L"ProcessX(40)", 0, Rule::kProcess},
      {L"process(5)", 0, Rule::kObjectName},       {L"Thread(6)", 0x0012019F, Rule::kThread},
      {L"Event(8)", 0x0012019F, Rule::kNamedPipe}, {L"File(17)", 0x0012019B, Rule::kObjectName},
  };
  for (const auto& r : rules) EXPECT_EQ(ChooseHandleNamingRule(r.type, r.access), r.rule) << r.type;
  EXPECT_TRUE(NameQueryMayHang(L"(17)"));
  EXPECT_FALSE(NameQueryMayHang(L"Event(8)"));

  using State = TargetImageName::State;
  ProcessHandleTarget process{{State::kEmpty, L""}, true, 1234};
  EXPECT_EQ(ProcessHandleNameText(process), CString(L"<UNKNOW>(1234)"));
  process.image = {State::kNone, L""};
  EXPECT_EQ(ProcessHandleNameText(process), CString(L"(1234)"));
  ThreadHandleTarget thread{0x100000001ULL, 8, true, {State::kNone, L""}};
  EXPECT_EQ(ThreadHandleNameText(thread), CString(L"<UNKNOW>(1) : 8"));
  thread.processOpened = false;
  EXPECT_EQ(ThreadHandleNameText(thread), CString(L"(1) : 8"));
}

// Two handles of process 0 around one of process 99.
NTSTATUS NTAPI FakeHandleSnapshot(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  constexpr ULONG kNeeded = 0x10 + 3 * 0x28;
  if (infoClass != 64) return kStatusNotImplemented;
  *returned = kNeeded;
  if (size < kNeeded) return kStatusInfoLengthMismatch;
  BYTE* base = static_cast<BYTE*>(buffer);
  const ULONG_PTR entries[3][5] = {{0, 0x4, 0x0012019F, 17, 3}, {99, 0x8, 0x1F0003, 8, 2}, {0, 0xABC, 0x1F0001, 9, 0}};
  *reinterpret_cast<ULONG_PTR*>(base) = 3;
  for (int i = 0; i < 3; ++i) {
    BYTE* entry = base + 0x10 + i * 0x28;
    std::memcpy(entry + 0x08, &entries[i][0], 8);
    std::memcpy(entry + 0x10, &entries[i][1], 8);
    std::memcpy(entry + 0x18, &entries[i][2], 4);
    std::memcpy(entry + 0x1E, &entries[i][3], 2);
    std::memcpy(entry + 0x20, &entries[i][4], 4);
  }
  return kStatusSuccess;
}

TEST_F(HandlesTabTest, ProcessZeroFromAFakeSnapshot) {
  ScopedSlotOverride snapshot(g_NativeApi.NtQuerySystemInformation, &FakeHandleSnapshot);
  ASSERT_EQ(Show(), 2);  // no item 3 reads as process 0
  const CString rows[2][7] = {
      {L"   0", L"(17)", L"\\Device\\NamedPipe", L"0x4", L"0x0000000000000000", L"0x12019F", L"--"},
      {L"   1", L"(9)", L"<NO NAME>", L"0xABC", L"0x0000000000000000", L"0x1F0001", L"--"},
  };
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 7; ++column) EXPECT_EQ(Cell(row, column), rows[row][column]) << row << column;
}

// Name queries on disk files never return, as on some file handles of
// Windows. Buffers are counted rather than measured: Wine keeps the kernel
// stack of every thread ended from outside.
PFN_NtQueryObject g_realQuery = nullptr;
PFN_NtAllocateVirtualMemory g_realAllocate = nullptr;
PFN_NtFreeVirtualMemory g_realFree = nullptr;
LONG g_buffersHeld = 0;

NTSTATUS NTAPI BlockingNameQuery(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass == 1 && GetFileType(handle) == FILE_TYPE_DISK) Sleep(INFINITE);
  return g_realQuery(handle, infoClass, buffer, size, returned);
}
NTSTATUS NTAPI CountingAllocate(HANDLE process, PVOID* base, ULONG_PTR bits, PSIZE_T size, ULONG type, ULONG prot) {
  const NTSTATUS status = g_realAllocate(process, base, bits, size, type, prot);
  if (NtSuccess(status)) InterlockedIncrement(&g_buffersHeld);
  return status;
}
NTSTATUS NTAPI CountingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  const NTSTATUS status = g_realFree(process, base, size, type);
  if (NtSuccess(status)) InterlockedDecrement(&g_buffersHeld);
  return status;
}

TEST_F(HandlesTabTest, ANameQueryThatNeverReturnsIsGivenUp) {
  ASSERT_TRUE(StartChild(L"--wait --event HalvernHangEvent --file \"%s\""));
  g_realQuery = g_NativeApi.NtQueryObject;
  g_realAllocate = g_NativeApi.NtAllocateVirtualMemory;
  g_realFree = g_NativeApi.NtFreeVirtualMemory;
  ScopedSlotOverride query(g_NativeApi.NtQueryObject, &BlockingNameQuery);
  ScopedSlotOverride allocate(g_NativeApi.NtAllocateVirtualMemory, &CountingAllocate);
  ScopedSlotOverride release(g_NativeApi.NtFreeVirtualMemory, &CountingFree);
  Choose(m_child.Pid());
  Show();
  m_page.ShowWindow(SW_HIDE);
  const DWORD handles = TakeLeakCounts().handles;
  const size_t threads = ThreadIdsOf(GetCurrentProcessId()).size();
  g_buffersHeld = 0;

  Show();
  EXPECT_GE(RowEndingWith(2, L"\\HalvernHangEvent"), 0);  // the page went on
  EXPECT_EQ(RowEndingWith(2, L"\\halvern-handles-tab.txt"), -1);
  bool fileGivenUp = false;
  for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
    fileGivenUp |= Cell(row, 1).Left(5) == CString(L"File(") && Cell(row, 2) == CString(L"<NO NAME>");
  EXPECT_TRUE(fileGivenUp);
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(ThreadIdsOf(GetCurrentProcessId()).size(), threads);
  EXPECT_EQ(TakeLeakCounts().handles, handles);
  EXPECT_EQ(g_buffersHeld, 0);
}

}  // namespace
