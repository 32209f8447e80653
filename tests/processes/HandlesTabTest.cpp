// The handles tab: the objects a child holds, a fake snapshot for process 0,
// the named-pipe rule and the attributes, and the bound on name queries that
// never return.
#include <windows.h>
#include <tlhelp32.h>

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
    HANDLE file = CreateFileW(m_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  void TearDown() override {
    m_child.Stop();
    DeleteFileW(m_file.c_str());
    DetailPageFixture::TearDown();
  }
  // The first row whose name cell ends with `tail`.
  int RowNamed(const CString& tail) {
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
      const CString name = Cell(row, 2);
      if (name.GetLength() >= tail.GetLength() && name.Mid(name.GetLength() - tail.GetLength()) == tail) return row;
    }
    return -1;
  }

  std::wstring m_file;
  ChildProcess m_child;
};

CString RowNumberOf(int row) {
  CString text;
  text.Format(L"%4d", row);
  return text;
}

CString OwnImage() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

TEST_F(HandlesTabTest, RowsOfTheObjectsAChildHolds) {
  CString args;
  args.Format(
      L"--wait --event HalvernTabEvent --protected-mutex HalvernTabMutex --file \"%s\" --process %u "
      L"--thread %u",
      m_file.c_str(), GetCurrentProcessId(), GetCurrentThreadId());
  ASSERT_TRUE(m_child.Start(false, args.GetString()));
  Choose(m_child.Pid());
  const int rows = Show();
  ASSERT_GT(rows, 5);
  for (int row = 0; row < rows; ++row) EXPECT_EQ(Cell(row, 0), RowNumberOf(row));

  const int event = RowNamed(L"\\HalvernTabEvent");
  ASSERT_GE(event, 0);
  EXPECT_EQ(Cell(event, 1).Left(6), CString(L"Event("));
  EXPECT_EQ(Cell(event, 3).Left(2), CString(L"0x"));
  EXPECT_EQ(Cell(event, 6), CString(L"--"));
  const int mutex = RowNamed(L"\\HalvernTabMutex");
  ASSERT_GE(mutex, 0);
  EXPECT_EQ(Cell(mutex, 6), CString(L"受保护"));
  const int file = RowNamed(L"\\halvern-handles-tab.txt");
  ASSERT_GE(file, 0);
  EXPECT_EQ(Cell(file, 1).Left(5), CString(L"File("));
  EXPECT_EQ(Cell(file, 5), CString(L"0x120089"));  // GENERIC_READ as file rights

  CString process, thread;
  process.Format(L"%s(%u)", OwnImage().GetString(), GetCurrentProcessId());
  thread.Format(L"%s : %u", process.GetString(), GetCurrentThreadId());
  const int processRow = RowNamed(process), threadRow = RowNamed(thread);
  ASSERT_GE(processRow, 0);
  ASSERT_GE(threadRow, 0);
  EXPECT_EQ(Cell(processRow, 1).Left(8), CString(L"Process("));
  EXPECT_EQ(Cell(threadRow, 1).Left(7), CString(L"Thread("));
  EXPECT_EQ(Cell(processRow, 2), process);  // a drive-letter path, not a device path

  bool inheritable = false;  // the child's standard handles
  for (int row = 0; row < rows; ++row) inheritable |= Cell(row, 6) == CString(L"可继承");
  EXPECT_TRUE(inheritable);

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
      {L"Process(5)", 0x0012019F, Rule::kProcess},  {L"ProcessX(40)", 0, Rule::kProcess},
      {L"process(5)", 0, Rule::kObjectName},        {L"Thread(6)", 0x0012019F, Rule::kThread},
      {L"File(17)", 0x0012019F, Rule::kNamedPipe},  {L"Event(8)", 0x0012019F, Rule::kNamedPipe},
      {L"File(17)", 0x0012019B, Rule::kObjectName}, {L"(6)", 0, Rule::kObjectName},
  };
  for (const auto& r : rules) EXPECT_EQ(ChooseHandleNamingRule(r.type, r.access), r.rule) << r.type;
  EXPECT_TRUE(NameQueryMayHang(L"File(17)"));
  EXPECT_TRUE(NameQueryMayHang(L"(17)"));
  EXPECT_FALSE(NameQueryMayHang(L"Event(8)"));

  using State = TargetImageName::State;
  ProcessHandleTarget process{{State::kEmpty, L""}, true, 1234};
  EXPECT_EQ(ProcessHandleNameText(process), CString(L"<UNKNOW>(1234)"));
  process.image = {State::kNone, L""};
  EXPECT_EQ(ProcessHandleNameText(process), CString(L"(1234)"));
  process.hasProcessId = false;
  process.image = {State::kText, L"C:\\a.exe"};
  EXPECT_EQ(ProcessHandleNameText(process), CString(L"C:\\a.exe"));
  ThreadHandleTarget thread{0x100000001ULL, 8, true, {State::kNone, L""}};
  EXPECT_EQ(ThreadHandleNameText(thread), CString(L"<UNKNOW>(1) : 8"));
  thread.processOpened = false;
  EXPECT_EQ(ThreadHandleNameText(thread), CString(L"(1) : 8"));
  EXPECT_EQ(ObjectNameText(true, L""), CString(L"<NO NAME>"));
  EXPECT_EQ(HandleAttributesText(1), CString(L"受保护"));
  EXPECT_EQ(HandleAttributesText(2), CString(L"可继承"));
}

void PutEntry(BYTE* entry, ULONG_PTR pid, ULONG_PTR value, uint32_t access, uint16_t typeIndex, uint32_t attributes) {
  std::memcpy(entry + 0x08, &pid, 8);
  std::memcpy(entry + 0x10, &value, 8);
  std::memcpy(entry + 0x18, &access, 4);
  std::memcpy(entry + 0x1E, &typeIndex, 2);
  std::memcpy(entry + 0x20, &attributes, 4);
}

// Two handles of process 0 around one of process 99.
NTSTATUS NTAPI FakeHandleSnapshot(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  constexpr ULONG kNeeded = 0x10 + 3 * 0x28;
  if (infoClass != 64) return kStatusNotImplemented;
  *returned = kNeeded;
  if (size < kNeeded) return kStatusInfoLengthMismatch;
  BYTE* base = static_cast<BYTE*>(buffer);
  const ULONG_PTR count = 3;
  std::memcpy(base, &count, 8);
  PutEntry(base + 0x10, 0, 0x4, 0x0012019F, 17, 3);
  PutEntry(base + 0x38, 99, 0x8, 0x1F0003, 8, 2);
  PutEntry(base + 0x60, 0, 0xABC, 0x1F0001, 9, 0);
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

PFN_NtQueryObject g_realQueryObject = nullptr;

// Name queries on disk files never return, as on some file handles of Windows.
NTSTATUS NTAPI BlockingNameQuery(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass == 1 && GetFileType(handle) == FILE_TYPE_DISK) Sleep(INFINITE);
  return g_realQueryObject(handle, infoClass, buffer, size, returned);
}

// Native buffers taken and not yet given back. Counted rather than measured:
// Wine keeps the kernel stack of every thread ended from outside.
LONG g_buffersHeld = 0;
PFN_NtAllocateVirtualMemory g_realAllocate = nullptr;
PFN_NtFreeVirtualMemory g_realFree = nullptr;

NTSTATUS NTAPI CountingAllocate(HANDLE process, PVOID* base, ULONG_PTR zeroBits, PSIZE_T size, ULONG type,
                                ULONG protect) {
  const NTSTATUS status = g_realAllocate(process, base, zeroBits, size, type, protect);
  if (NtSuccess(status)) InterlockedIncrement(&g_buffersHeld);
  return status;
}

NTSTATUS NTAPI CountingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  const NTSTATUS status = g_realFree(process, base, size, type);
  if (NtSuccess(status)) InterlockedDecrement(&g_buffersHeld);
  return status;
}

size_t OwnThreadCount() {
  size_t count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return count;
}

TEST_F(HandlesTabTest, ANameQueryThatNeverReturnsIsGivenUp) {
  CString args;
  args.Format(L"--wait --event HalvernHangEvent --file \"%s\"", m_file.c_str());
  ASSERT_TRUE(m_child.Start(false, args.GetString()));
  g_realQueryObject = g_NativeApi.NtQueryObject;
  ScopedSlotOverride query(g_NativeApi.NtQueryObject, &BlockingNameQuery);
  g_realAllocate = g_NativeApi.NtAllocateVirtualMemory;
  g_realFree = g_NativeApi.NtFreeVirtualMemory;
  ScopedSlotOverride allocate(g_NativeApi.NtAllocateVirtualMemory, &CountingAllocate);
  ScopedSlotOverride free(g_NativeApi.NtFreeVirtualMemory, &CountingFree);
  Choose(m_child.Pid());
  Show();
  m_page.ShowWindow(SW_HIDE);
  const DWORD handles = TakeLeakCounts().handles;
  const size_t threads = OwnThreadCount();
  g_buffersHeld = 0;

  Show();
  const int event = RowNamed(L"\\HalvernHangEvent");
  ASSERT_GE(event, 0);
  EXPECT_EQ(RowNamed(L"\\halvern-handles-tab.txt"), -1);
  bool fileGivenUp = false;
  for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
    fileGivenUp |= Cell(row, 1).Left(5) == CString(L"File(") && Cell(row, 2) == CString(L"<NO NAME>");
  EXPECT_TRUE(fileGivenUp);
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(OwnThreadCount(), threads);
  EXPECT_EQ(TakeLeakCounts().handles, handles);
  EXPECT_EQ(g_buffersHeld, 0);
}

}  // namespace
