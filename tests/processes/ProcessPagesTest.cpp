// The process and kernel-module pages on real children under Wine and on fake
// answers for what Wine cannot show.
#include <windows.h>
#include <commctrl.h>
#include <lmcons.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/CPage0.h"
#include "views/processes/CPage1.h"

namespace {

// The first rows of `list` against `rows`; a "*" cell is not compared.
void ExpectRows(CListCtrl& list, const std::vector<std::vector<CString>>& rows) {
  ASSERT_GE(list.GetItemCount(), static_cast<int>(rows.size()));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row)
    for (int column = 0; column < static_cast<int>(rows[row].size()); ++column)
      EXPECT_EQ(rows[row][column] == L"*" ? rows[row][column] : list.GetItemText(row, column), rows[row][column])
          << row << "/" << column;
}

template <typename Page, UINT kTemplate>
class PageFixture : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(kTemplate, &host));
    host.Detach();
    m_page.MoveWindow(0, 0, m_host->ClientWidth(), m_host->ClientHeight(), TRUE);
  }
  void TearDown() override {
    m_page.DestroyWindow();
    GuiFixture::TearDown();
  }
  CString Cell(int row, int column) { return m_page.m_list.GetItemText(row, column); }

  Page m_page;
};

class ProcessPageTest : public PageFixture<CPage0, IDD_PAGE0> {
 protected:
  void DoubleClick(int row) {
    NMITEMACTIVATE activate{};
    activate.hdr = {m_page.m_list.GetSafeHwnd(), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    activate.iItem = row;
    m_page.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&activate));
  }
  void SelectDetailTab(int item) {
    m_page.m_tab.SetCurSel(item);
    NMHDR header{m_page.m_tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    m_page.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  }
  CWnd& Tab(int item) {
    CWnd* tabs[] = {&m_page.m_tabPage0, &m_page.m_tabPage1, &m_page.m_tabPage2};
    return *tabs[item];
  }
  CListCtrl& List(int item) {
    CListCtrl* lists[] = {&m_page.m_tabPage0.m_list, &m_page.m_tabPage1.m_list, &m_page.m_tabPage2.m_list};
    return *lists[item];
  }
  // Shows detail tab `item` afresh, which fills it, and returns its row count.
  int Refill(int item) {
    Tab(item).ShowWindow(SW_HIDE);
    Tab(item).ShowWindow(SW_SHOW);
    return List(item).GetItemCount();
  }
  // The first row of detail tab `item` whose cell in `column` ends with `tail`, or -1.
  int RowEndingWith(int item, int column, const CString& tail) {
    for (int row = 0; row < List(item).GetItemCount(); ++row) {
      const CString text = List(item).GetItemText(row, column);
      if (text.GetLength() >= tail.GetLength() && text.Mid(text.GetLength() - tail.GetLength()) == tail) return row;
    }
    return -1;
  }
};

// Name queries on disk files never return, as on some files of Windows. Buffers
// are counted: Wine keeps the kernel stack of every thread ended from outside.
NativeApiTable g_real;
LONG g_buffersHeld = 0;

NTSTATUS NTAPI BlockingNameQuery(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass == 1 && GetFileType(handle) == FILE_TYPE_DISK) Sleep(INFINITE);
  return g_real.NtQueryObject(handle, infoClass, buffer, size, returned);
}
NTSTATUS NTAPI CountingAllocate(HANDLE process, PVOID* base, ULONG_PTR bits, PSIZE_T size, ULONG type, ULONG prot) {
  const NTSTATUS status = g_real.NtAllocateVirtualMemory(process, base, bits, size, type, prot);
  if (NtSuccess(status)) InterlockedIncrement(&g_buffersHeld);
  return status;
}
NTSTATUS NTAPI CountingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  const NTSTATUS status = g_real.NtFreeVirtualMemory(process, base, size, type);
  if (NtSuccess(status)) InterlockedDecrement(&g_buffersHeld);
  return status;
}

// The child maps a view of this program's file with a view of its own right
// after it, and holds named objects, that file, this process and this thread.
TEST_F(ProcessPageTest, RealChildrenTheirDetailViewAndNoLeaks) {
  wchar_t image[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, image, MAX_PATH);
  CString args;
  args.Format(
      L"--map \"%s\" --map \"%s\" --file \"%s\" --threads 2 --event HalvernTabEvent --protected-mutex "
      L"HalvernTabMutex --process %u --thread %u --wait known command line text",
      image, HelperPath(false).c_str(), image, GetCurrentProcessId(), GetCurrentThreadId());
  ChildProcess child64;
  ASSERT_TRUE(child64.Start(false, args.GetString()));
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_imageList.GetImageCount(), m_page.m_list.GetItemCount());
  // "#" leftmost, then the name; on the screen, where cells can leave their headers.
  HWND header = m_page.m_list.GetHeaderCtrl().GetSafeHwnd();
  int previousLeft = -1;
  for (int column : {1, 0, 2, 17}) {
    RECT head{}, cell{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &head));
    ASSERT_TRUE(ListView_GetSubItemRect(m_page.m_list.GetSafeHwnd(), 0, column, LVIR_LABEL, &cell));
    EXPECT_TRUE(head.left > previousLeft && cell.left >= head.left && cell.right <= head.right) << column;
    previousLeft = head.left;
  }

  wchar_t user[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(user, &size));
  CString pid, parent;
  pid.Format(L"%u", child64.Pid());
  parent.Format(L"%u", GetCurrentProcessId());
  LVFINDINFOW byPid{LVFI_PARAM, nullptr, static_cast<LPARAM>(child64.Pid()), {}, 0};
  const int row = ListView_FindItem(m_page.m_list.GetSafeHwnd(), -1, &byPid);
  ASSERT_GE(row, 0);
  // clang-format off
  const struct { int row, column; CString text; } cells[] = {
      {row, 0, L"helper64.exe"}, {row, 2, pid}, {row, 3, parent}, {row, 4, child64.ImagePath().c_str()},
      {row, 7, L"64-bit"}, {row, 8, L"3"}, {row, 10, user}, {row, 12, child64.CommandLine().c_str()}};
  // clang-format on
  for (const auto& c : cells) EXPECT_EQ(Cell(c.row, c.column), c.text) << c.row << "/" << c.column;

  DoubleClick(row);
  EXPECT_TRUE(!IsWindowVisible(m_page.m_list.GetSafeHwnd()) && IsWindowVisible(Tab(0).GetSafeHwnd()));
  // The first view's size is its file's, yet the view right after it is listed.
  const int viewRow = RowEndingWith(0, 4, L"\\test_processes.exe");
  ASSERT_GE(viewRow, 0);
  EXPECT_EQ(List(0).GetItemText(viewRow, 1), CString(L"test_processes.exe"));
  EXPECT_EQ(_wcsicmp(List(0).GetItemText(viewRow, 4), image), 0);  // a drive-letter path
  EXPECT_EQ(List(0).GetItemText(viewRow + 1, 1), CString(L"helper64.exe"));
  SelectDetailTab(1);
  EXPECT_EQ(List(1).GetItemCount(), 3);

  SelectDetailTab(2);
  CString process, thread;
  process.Format(L"%s(%u)", image, GetCurrentProcessId());
  thread.Format(L"%s : %u", process.GetString(), GetCurrentThreadId());
  // clang-format off
  const struct { CString name; const wchar_t *type, *attributes; } handles[] = {
      {L"\\HalvernTabEvent", L"Event(", L"--"}, {L"\\HalvernTabMutex", L"Mutant(", L"受保护"},
      {L"\\test_processes.exe", L"File(", L"--"}, {process, L"Process(", L"--"}, {thread, L"Thread(", L"--"}};
  // clang-format on
  for (const auto& h : handles) {
    const int at = RowEndingWith(2, 2, h.name);
    ASSERT_GE(at, 0) << h.type;
    EXPECT_TRUE(List(2).GetItemText(at, 1).Find(h.type) == 0 && List(2).GetItemText(at, 6) == h.attributes) << h.type;
  }

  const auto cycle = [&] {
    m_page.ShowWindow(SW_HIDE);
    m_page.ShowWindow(SW_SHOW);
    for (int item = 0; item < 3; ++item) {
      EXPECT_GT(Refill(item), 0) << item;
      Tab(item).ShowWindow(SW_HIDE);
      EXPECT_EQ(List(item).GetItemCount(), 0) << item;
    }
  };
  cycle();
  EXPECT_FALSE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));  // the detail view stays
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 30; ++i) cycle();
  ExpectNoLeaks(before, TakeLeakCounts());

  {  // A name query that never returns is given up; the rows go on and nothing it took stays.
    g_real = g_NativeApi;
    ScopedSlotOverride query(g_NativeApi.NtQueryObject, &BlockingNameQuery);
    ScopedSlotOverride allocate(g_NativeApi.NtAllocateVirtualMemory, &CountingAllocate);
    ScopedSlotOverride release(g_NativeApi.NtFreeVirtualMemory, &CountingFree);
    Refill(2);
    Tab(2).ShowWindow(SW_HIDE);
    const DWORD handleCount = TakeLeakCounts().handles;
    g_buffersHeld = 0;
    Refill(2);
    EXPECT_GE(RowEndingWith(2, 2, L"\\HalvernTabEvent"), 0);
    bool fileGivenUp = false;
    for (int i = 0; i < List(2).GetItemCount(); ++i)
      fileGivenUp |= List(2).GetItemText(i, 1).Left(5) == L"File(" && List(2).GetItemText(i, 2) == L"<NO NAME>";
    EXPECT_TRUE(fileGivenUp);
    Tab(2).ShowWindow(SW_HIDE);
    EXPECT_EQ(TakeLeakCounts().handles, handleCount);
    EXPECT_EQ(g_buffersHeld, 0);
  }

  SelectDetailTab(3);
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 3);
  EXPECT_TRUE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));
  m_page.ShowWindow(SW_HIDE);
  EXPECT_TRUE(m_page.m_list.GetItemCount() == 0 && m_page.m_imageList.GetImageCount() == 0);
}

constexpr ULONG_PTR kLimitedPid = 1234;
constexpr int64_t kMinute = 600000000LL;

void Put(BYTE* at, uint64_t value, size_t size) { std::memcpy(at, &value, size); }

// The idle process; process 1234, whose thread count claims far more than its two
// entries (a waiting thread with long times, this thread with out-of-range names
// and no TEB); a record whose name and next record run past the answer.
NTSTATUS NTAPI FakeProcessSnapshot(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  constexpr ULONG kSecond = 0x188, kName = kSecond + 0x100 + 2 * 0x88, kThird = kName + 24;
  if (infoClass != 57 || size < kThird + 0x100) return kStatusNotImplemented;
  *returned = size;
  BYTE* idle = static_cast<BYTE*>(buffer);
  // Offset, value, size. 1234's threads: at 0x100 (kernel time 25:03, created at 23:30) and 0x188.
  // clang-format off
  const uint64_t idleFields[][3] = {
      {0x00, kSecond, 4}, {0x04, 1, 4}, {0x28, 62 * kMinute + 34560000, 8}, {0xB8, 2u << 20, 8}, {0xC0, 3u << 20, 8}};
  const uint64_t limitedFields[][3] = {
      {0x00, kThird - kSecond, 4}, {0x04, 1000, 4}, {0x28, 1503 * kMinute, 8}, {0x38, 22, 2},
      {0x40, reinterpret_cast<uintptr_t>(idle + kName), 8}, {0x48, 24, 4}, {0x50, kLimitedPid, 8},
      {0x100, 1503 * kMinute, 8}, {0x110, 154000 * 1440 * kMinute + 1410 * kMinute, 8}, {0x130, 4242, 8},
      {0x138, 0xFFFFFFFF, 4}, {0x140, 0x80000000, 4}, {0x144, 5, 4}, {0x148, 6, 4}, {0x168, 0x7FFDE000, 8},
      {0x198, ~0ull, 8}, {0x1B0, GetCurrentProcessId(), 8}, {0x1B8, GetCurrentThreadId(), 8}, {0x1CC, 9, 4},
      {0x1D0, 40, 4}};
  const uint64_t thirdFields[][3] = {
      {0x00, size - 0x80 - kThird, 4}, {0x38, 4, 2}, {0x40, reinterpret_cast<uintptr_t>(idle + size - 2), 8},
      {0x50, 8, 8}};
  // clang-format on
  for (const auto& f : idleFields) Put(idle + f[0], f[1], f[2]);
  for (const auto& f : limitedFields) Put(idle + kSecond + f[0], f[1], f[2]);
  for (const auto& f : thirdFields) Put(idle + kThird + f[0], f[1], f[2]);
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

TEST_F(ProcessPageTest, IdleLimitedAndUnreadableRowsAndTheirThreads) {
  ScopedSlotOverride snapshot(g_NativeApi.NtQuerySystemInformation, &FakeProcessSnapshot);
  g_realOpen = g_NativeApi.NtOpenProcess;
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpenLimitedOnly);
  m_page.ShowWindow(SW_SHOW);
  wchar_t ownPath[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
  ASSERT_EQ(m_page.m_list.GetItemCount(), 3);  // limited access: image file name and PEB only
  ExpectRows(m_page.m_list, {{L"Idle", L"   0", L"0", L"0", L"Idle", L"", L"0", L"N/A", L"1", L"0", L"*", L"Idle", L"",
                              L"", L"2048/3072 K", L"0/0 K", L"0", L"01:02:03.456/00:00:00.000"},
                             {L"limited.exe", L"   1", L"1234", L"0", ownPath, L"", L"0", L"64-bit", L"1000", L"0",
                              L"*", L"Realtime", L"", L"*", L"0/0 K", L"0/0 K", L"0", L"25:03:00.000/00:00:00.000"},
                             {L"<UNKNOW>", L"   2", L"8"}});
  EXPECT_EQ(Cell(1, 13).GetLength(), 18);

  DoubleClick(1);
  EXPECT_EQ(List(0).GetItemCount(), 0);  // the modules need full access
  SelectDetailTab(1);
  CString tid, teb;
  tid.Format(L"%u", GetCurrentThreadId());
  teb.Format(L"0x%p", OwnTeb());  // asked of the thread itself
  ASSERT_EQ(List(1).GetItemCount(), 2);
  ExpectRows(List(1),
             {{L"   0", L"4242", L"*", L"-1", L"Waiting(UserRequest)", L"*", L"0x000000007FFDE000", L"2147483648",
               L"23:30:00.000/00:00:00.000/25:03:00.000"},
              {L"   1", tid, L"*", L"0", L"9(40)", L"*", teb, L"0", L"00:00:00.000/00:00:00.000/00:00:00.000"}});
}

using Page1Test = PageFixture<CPage1, IDD_PAGE1>;

// A path filling its field without a NUL and a name offset past it; a bare name at
// the last backslash; a count of far more entries than the 4096-byte answer holds.
NTSTATUS NTAPI FakeModules(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass != 11) return kStatusNotImplemented;
  BYTE* base = static_cast<BYTE*>(buffer);
  std::memset(base, 'A', size);
  Put(base, 100000, 4);
  Put(base + 8 + 38, 300, 2);
  Put(base + 8 + 296 + 38, 16, 2);
  std::memcpy(base + 8 + 296 + 40, "\\SystemRoot\\drv\\x.sys", 22);
  *returned = size;
  return kStatusSuccess;
}

TEST_F(Page1Test, RealModulesWithoutLeaksAndOddEntriesInsideTheirFields) {
  m_page.ShowWindow(SW_SHOW);
  ASSERT_GT(m_page.m_list.GetItemCount(), 0);
  for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
    const CString name = Cell(row, 1), path = Cell(row, 4);
    EXPECT_TRUE(!name.IsEmpty() && path.Mid(path.GetLength() - name.GetLength()) == name) << row;
  }
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.ShowWindow(SW_SHOW);
    m_page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());

  ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FakeModules);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 13);  // the entries wholly inside the answer
  ExpectRows(m_page.m_list, {{L"   0", L"", L"*", L"*", CString(std::string(256, 'A').c_str())},
                             {L"   1", L"x.sys", L"*", L"*", L"\\SystemRoot\\drv\\x.sys"}});
}

}  // namespace
