// Hosts one per-process page the way the process page does: as a child of a
// tab control whose item 3 carries the chosen process id.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <set>

#include "framework/Framework.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/SlotOverride.h"

// The ids of the threads that process `pid` runs now.
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

template <typename Page, UINT kTemplate>
class DetailPageFixture : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    const int width = m_host->ClientWidth(), height = m_host->ClientHeight();
    m_tab.Attach(CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, Host(),
                                 reinterpret_cast<HMENU>(1000), nullptr, nullptr));
    for (int item = 0; item < 3; ++item) m_tab.InsertItem(item, L"tab");
    ASSERT_TRUE(m_page.Create(kTemplate, &m_tab));
    m_page.MoveWindow(4, 24, width - 8, height - 28, TRUE);
  }
  void TearDown() override {
    m_page.DestroyWindow();
    DestroyWindow(m_tab.Detach());
    GuiFixture::TearDown();
  }

  // Item 3 with `processId`, as a double-click on a process row leaves it.
  void Choose(ULONG_PTR processId) {
    if (m_tab.GetItemCount() < 4) m_tab.InsertItem(3, L"-->");
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    item.lParam = static_cast<LPARAM>(processId);
    m_tab.SetItem(3, &item);
  }
  // Shows the page (which fills it) and returns the row count.
  int Show() {
    m_page.ShowWindow(SW_HIDE);
    m_page.ShowWindow(SW_SHOW);
    return m_page.m_list.GetItemCount();
  }
  CString Cell(int row, int column) { return m_page.m_list.GetItemText(row, column); }
  // The first row whose cell in `column` ends with `tail`, or -1.
  int RowEndingWith(int column, const CString& tail) {
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
      const CString text = Cell(row, column);
      if (text.GetLength() >= tail.GetLength() && text.Mid(text.GetLength() - tail.GetLength()) == tail) return row;
    }
    return -1;
  }

  CTabCtrl m_tab;
  Page m_page;
};
