// The process page in-process under Wine: rows of real child processes, the
// idle and limited-access rows from a fake snapshot, the detail-view flow and
// show/hide without leaks.
#include <windows.h>
#include <commctrl.h>
#include <lmcons.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "native/NativeOwners.h"
#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/CPage0.h"

namespace {

constexpr int kColumns = 18;

class Page0Test : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_PAGE0, &host));
    host.Detach();
    m_page.MoveWindow(0, 0, m_host->ClientWidth(), m_host->ClientHeight(), TRUE);
  }
  void TearDown() override {
    m_page.DestroyWindow();
    GuiFixture::TearDown();
  }

  int FindRow(DWORD pid) {
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
      if (m_page.m_list.GetItemData(row) == pid) return row;
    return -1;
  }
  CString Cell(int row, int column) { return m_page.m_list.GetItemText(row, column); }

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
  CString TabText(int item, LPARAM* param) {
    wchar_t text[128] = {};
    TCITEMW tcItem{};
    tcItem.mask = TCIF_TEXT | TCIF_PARAM;
    tcItem.pszText = text;
    tcItem.cchTextMax = 128;
    m_page.m_tab.GetItem(item, &tcItem);
    if (param) *param = tcItem.lParam;
    return CString(text);
  }
  int IconCount() { return m_page.m_imageList.GetImageCount(); }

  CPage0 m_page;
};

// Each header stands over its own cells: "#" leftmost, then the name, then
// the rest in index order. Compared on the screen positions, because an order
// array can read back right while the list still draws the old order.
TEST_F(Page0Test, ColumnsAndHeaderOrder) {
  HWND header = m_page.m_list.GetHeaderCtrl().GetSafeHwnd();
  ASSERT_EQ(Header_GetItemCount(header), kColumns);
  m_page.ShowWindow(SW_SHOW);
  ASSERT_GT(m_page.m_list.GetItemCount(), 0);
  int previousLeft = -1;
  for (int column : {1, 0, 2, 3, 4, 17}) {
    RECT head{}, cell{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &head));
    ASSERT_TRUE(ListView_GetSubItemRect(m_page.m_list.GetSafeHwnd(), 0, column, LVIR_LABEL, &cell));
    EXPECT_GT(head.left, previousLeft) << column;
    EXPECT_GE(cell.left, head.left) << column;
    EXPECT_LE(cell.right, head.right) << column;
    previousLeft = head.left;
  }
  EXPECT_EQ(m_page.m_list.GetExtendedStyle(), 0x10023u);
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 3);
  EXPECT_FALSE(IsWindowVisible(m_page.m_tab.GetSafeHwnd()));
}

TEST_F(Page0Test, RowsOfRealChildren) {
  ChildProcess child64, child32;
  ASSERT_TRUE(child64.Start(false, L"--wait --threads 2 known command line text"));
  ASSERT_TRUE(child32.Start(true, L"--wait"));
  m_page.ShowWindow(SW_SHOW);

  const int rows = m_page.m_list.GetItemCount();
  EXPECT_GE(rows, 3);
  EXPECT_EQ(IconCount(), rows);
  for (int row = 0; row < rows; ++row) {
    wchar_t number[8] = {};
    swprintf(number, 8, L"%4d", row);
    EXPECT_EQ(Cell(row, 1), CString(number));
  }

  const int row = FindRow(child64.Pid());
  ASSERT_GE(row, 0);
  EXPECT_EQ(Cell(row, 0), CString(L"helper64.exe"));
  EXPECT_EQ(_wtoi(Cell(row, 2)), static_cast<int>(child64.Pid()));
  EXPECT_EQ(_wtoi(Cell(row, 3)), static_cast<int>(GetCurrentProcessId()));
  EXPECT_EQ(Cell(row, 4), CString(child64.ImagePath().c_str()));
  EXPECT_EQ(std::wcsncmp(Cell(row, 5), L"0x", 2), 0);
  EXPECT_EQ(Cell(row, 5).GetLength(), 18);
  EXPECT_EQ(Cell(row, 7), CString(L"64-bit"));
  EXPECT_EQ(_wtoi(Cell(row, 8)), 3);  // the main thread and two more
  EXPECT_FALSE(Cell(row, 9).IsEmpty());
  wchar_t user[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(Cell(row, 10), CString(user));
  EXPECT_FALSE(Cell(row, 11).IsEmpty());
  EXPECT_EQ(Cell(row, 12), CString(child64.CommandLine().c_str()));
  EXPECT_EQ(Cell(row, 13).GetLength(), 18);
  EXPECT_NE(Cell(row, 14).Find(L" K"), -1);
  EXPECT_NE(Cell(row, 15).Find(L" K"), -1);
  EXPECT_EQ(Cell(row, 17).GetLength(), 25);

  const int row32 = FindRow(child32.Pid());
  ASSERT_GE(row32, 0);
  EXPECT_EQ(Cell(row32, 0), CString(L"helper32.exe"));
  EXPECT_EQ(Cell(row32, 7), CString(L"32-bit"));
  EXPECT_EQ(Cell(row32, 4), CString(child32.ImagePath().c_str()));

  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  EXPECT_EQ(IconCount(), 0);
}

// A snapshot of two records: the idle process, and process 1234 that opens
// only with limited access (the fake open hands out a handle to ourselves).
constexpr ULONG_PTR kLimitedPid = 1234;
constexpr int64_t kHour = 36000000000LL;

void WriteRecord(BYTE* record, ULONG next, ULONG_PTR pid, const wchar_t* name, BYTE* nameAt) {
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(record + at, &v, 4); };
  auto put64 = [&](size_t at, uint64_t v) { std::memcpy(record + at, &v, 8); };
  put32(0x00, next);
  put32(0x04, 0);
  put64(0x50, pid);
  const uint16_t length = static_cast<uint16_t>(std::wcslen(name) * sizeof(wchar_t));
  std::memcpy(record + 0x38, &length, 2);
  put64(0x40, length ? reinterpret_cast<ULONG_PTR>(nameAt) : 0);
  std::memcpy(nameAt, name, length);
  put32(0x48, pid ? 24 : 0);
  put64(0x28, pid ? 25 * kHour + 3 * 600000000LL : kHour + 2 * 600000000LL + 34560000LL);
  put64(0xB8, 2u << 20);
  put64(0xC0, 3u << 20);
}

NTSTATUS NTAPI FakeSnapshot(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  constexpr ULONG kNeeded = 0x300;
  if (infoClass != 57) return kStatusNotImplemented;
  if (size < kNeeded) {
    *returned = kNeeded;
    return kStatusInfoLengthMismatch;
  }
  BYTE* base = static_cast<BYTE*>(buffer);
  WriteRecord(base, 0x100, 0, L"", base + 0x200);
  WriteRecord(base + 0x100, 0, kLimitedPid, L"limited.exe", base + 0x200);
  *returned = kNeeded;
  return kStatusSuccess;
}

PFN_NtOpenProcess g_realOpen = nullptr;

NTSTATUS NTAPI FakeOpenLimitedOnly(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                   CLIENT_ID* client) {
  if (reinterpret_cast<ULONG_PTR>(client->UniqueProcess) != kLimitedPid) return kStatusAccessDenied;
  if (access != 0x1000) return kStatusAccessDenied;
  CLIENT_ID self{reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentProcessId())), nullptr};
  return g_realOpen(handle, access, attributes, &self);
}

TEST_F(Page0Test, IdleAndLimitedAccessRowsFromAFakeSnapshot) {
  ScopedSlotOverride snapshot(g_NativeApi.NtQuerySystemInformation, &FakeSnapshot);
  g_realOpen = g_NativeApi.NtOpenProcess;
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &FakeOpenLimitedOnly);
  m_page.ShowWindow(SW_SHOW);
  ASSERT_EQ(m_page.m_list.GetItemCount(), 2);
  EXPECT_EQ(IconCount(), 2);

  // The idle process.
  EXPECT_EQ(Cell(0, 0), CString(L"Idle"));
  EXPECT_EQ(Cell(0, 1), CString(L"   0"));
  EXPECT_EQ(Cell(0, 2), CString(L"0"));
  EXPECT_EQ(Cell(0, 4), CString(L"Idle"));
  for (int column : {5, 12, 13}) EXPECT_TRUE(Cell(0, column).IsEmpty()) << column;
  EXPECT_EQ(Cell(0, 7), CString(L"N/A"));
  EXPECT_EQ(Cell(0, 11), CString(L"Idle"));
  EXPECT_EQ(Cell(0, 14), CString(L"2048/3072 K"));
  EXPECT_EQ(Cell(0, 17), CString(L"01:02:03.456/00:00:00.000"));

  // Limited access: the image file name as a drive-letter path, the PEB
  // address, no image base and no command line.
  EXPECT_EQ(Cell(1, 0), CString(L"limited.exe"));
  wchar_t ownPath[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, ownPath, MAX_PATH);
  EXPECT_EQ(Cell(1, 4).GetLength() > 3 && Cell(1, 4).GetAt(1) == L':', true) << Cell(1, 4).GetString();
  EXPECT_EQ(lstrcmpiW(Cell(1, 4), ownPath), 0);
  EXPECT_TRUE(Cell(1, 5).IsEmpty());
  EXPECT_TRUE(Cell(1, 12).IsEmpty());
  EXPECT_EQ(Cell(1, 13).GetLength(), 18);
  EXPECT_EQ(Cell(1, 7), CString(L"64-bit"));
  EXPECT_EQ(Cell(1, 11), CString(L"Realtime"));
  EXPECT_EQ(Cell(1, 17), CString(L"25:03:00.000/00:00:00.000"));
}

NTSTATUS NTAPI FailingSnapshot(ULONG, PVOID, ULONG, PULONG) { return kStatusAccessDenied; }

TEST_F(Page0Test, NoSnapshotLeavesTheListEmpty) {
  ScopedSlotOverride snapshot(g_NativeApi.NtQuerySystemInformation, &FailingSnapshot);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  EXPECT_EQ(IconCount(), 0);
}

TEST_F(Page0Test, DoubleClickOpensTheDetailViewAndItem3ClosesIt) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  m_page.ShowWindow(SW_SHOW);
  const int rows = m_page.m_list.GetItemCount();
  const int row = FindRow(child.Pid());
  ASSERT_GE(row, 0);

  DoubleClick(-1);  // empty space below the rows
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 3);
  EXPECT_TRUE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));

  DoubleClick(row);
  ASSERT_EQ(m_page.m_tab.GetItemCount(), 4);
  LPARAM param = 0;
  CString expected;
  expected.Format(L"-->helper64.exe(%d)", static_cast<int>(child.Pid()));
  EXPECT_EQ(TabText(3, &param), expected);
  EXPECT_EQ(param, static_cast<LPARAM>(child.Pid()));
  EXPECT_FALSE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));
  EXPECT_TRUE(IsWindowVisible(m_page.m_tab.GetSafeHwnd()));
  EXPECT_TRUE(IsWindowVisible(m_page.m_tabPage0.GetSafeHwnd()));
  EXPECT_EQ(m_page.m_tab.GetCurSel(), 0);

  SelectDetailTab(2);
  EXPECT_FALSE(IsWindowVisible(m_page.m_tabPage0.GetSafeHwnd()));
  EXPECT_TRUE(IsWindowVisible(m_page.m_tabPage2.GetSafeHwnd()));

  // Switching the main tab away and back rebuilds the hidden list and keeps
  // the detail view.
  m_page.ShowWindow(SW_HIDE);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_GT(m_page.m_list.GetItemCount(), 0);
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 4);
  EXPECT_TRUE(IsWindowVisible(m_page.m_tabPage2.GetSafeHwnd()));
  EXPECT_FALSE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));

  const int rowsBefore = m_page.m_list.GetItemCount();
  SelectDetailTab(3);
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 3);
  EXPECT_TRUE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));
  EXPECT_FALSE(IsWindowVisible(m_page.m_tab.GetSafeHwnd()));
  for (CWnd* page : {static_cast<CWnd*>(&m_page.m_tabPage0), static_cast<CWnd*>(&m_page.m_tabPage1),
                     static_cast<CWnd*>(&m_page.m_tabPage2)})
    EXPECT_FALSE(IsWindowVisible(page->GetSafeHwnd()));
  EXPECT_EQ(m_page.m_list.GetItemCount(), rowsBefore);  // not rebuilt
  (void)rows;
}

TEST_F(Page0Test, DetailPagesFillTheTabControl) {
  m_page.ShowWindow(SW_SHOW);
  DoubleClick(0);
  RECT client{};
  m_page.m_tab.GetClientRect(&client);
  RECT rc{};
  GetWindowRect(m_page.m_tabPage0.GetSafeHwnd(), &rc);
  MapWindowPoints(nullptr, m_page.m_tab.GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(rc.left, client.left + 4);
  EXPECT_EQ(rc.top, client.top + 24);
  EXPECT_EQ(rc.right, client.right - 4);
  EXPECT_EQ(rc.bottom, client.bottom - 4);
}

TEST_F(Page0Test, ShowingAndHidingAHundredTimesLeaksNothing) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  m_page.ShowWindow(SW_SHOW);
  m_page.ShowWindow(SW_HIDE);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.ShowWindow(SW_SHOW);
    ASSERT_EQ(IconCount(), m_page.m_list.GetItemCount());
    m_page.ShowWindow(SW_HIDE);
  }
  EXPECT_EQ(IconCount(), 0);
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
