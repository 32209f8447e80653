// Hosts a page as the main window does, and drives the process page as a user
// would: its rows, a double-click into a process's detail view, its three tabs.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/CPage0.h"

// The first rows of `list` against `rows`; a "*" cell is not compared.
inline void ExpectRows(CListCtrl& list, const std::vector<std::vector<CString>>& rows) {
  ASSERT_GE(list.GetItemCount(), static_cast<int>(rows.size()));
  for (size_t row = 0; row < rows.size(); ++row)
    for (size_t column = 0; column < rows[row].size(); ++column)
      if (rows[row][column] != L"*") {
        EXPECT_EQ(list.GetItemText(static_cast<int>(row), static_cast<int>(column)), rows[row][column])
            << row << "/" << column;
      }
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

class ProcessPageFixture : public PageFixture<CPage0, IDD_PAGE0> {
 protected:
  int FindRow(ULONG_PTR pid) {
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
      if (m_page.m_list.GetItemData(row) == pid) return row;
    return -1;
  }
  void Open(ULONG_PTR pid) {
    m_page.ShowWindow(SW_SHOW);
    ASSERT_GE(FindRow(pid), 0) << pid;
    DoubleClick(FindRow(pid));
  }
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

// A written file in the temporary folder, deleted with the object.
struct TempFile {
  TempFile(const wchar_t* name, size_t size) {
    wchar_t folder[MAX_PATH] = {};
    path = std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string bytes(size, 'x');
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
  }
  ~TempFile() { DeleteFileW(path.c_str()); }
  std::wstring path;
};

inline std::set<DWORD> ThreadIdsOf(DWORD pid) {
  std::set<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == pid) ids.insert(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}
