// The main dialog in-process: a tab shows exactly its page, the pages follow resizing, no leaks.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/CHalvernDlg.h"
#include "res/resource.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"

namespace {

// Run twice: the second run leaves no handle or buffer behind.
TEST(ShellTest, ATabShowsExactlyItsPageAndThePagesFollowResizingWithoutLeaks) {
  EnsureCommonControls();
  const auto walk = [] {
    CHalvernDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_HALVERN_DIALOG, nullptr));
    PumpMessages(0);
    const HWND tab = dlg.m_tab.m_hWnd;
    const HWND pages[] = {dlg.m_page0.m_hWnd, dlg.m_page1.m_hWnd, dlg.m_page2.m_hWnd, dlg.m_page3.m_hWnd,
                          dlg.m_page4.m_hWnd};
    // the start page, then what a click does: select, then notify; no selection (-1) changes nothing
    for (const auto& [select, shown] : {std::pair{2, 2}, {0, 0}, {4, 4}, {-1, 4}}) {
      dlg.m_tab.SetCurSel(select);
      NMHDR header{tab, IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
      if (select != 2) dlg.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
      for (int i = 0; i < 5; ++i) EXPECT_EQ(!!IsWindowVisible(pages[i]), i == shown) << select;
    }
    for (int show : {SW_MAXIMIZE, SW_RESTORE}) {
      dlg.ShowWindow(show);
      PumpMessages(50);
      RECT client{}, page{};
      dlg.m_tab.GetClientRect(&client);
      const RECT expected = CHalvernDlg::TabPageRect(client);
      GetWindowRect(pages[4], &page);  // the last one moved
      MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&page), 2);
      EXPECT_TRUE(EqualRect(&page, &expected)) << show;
    }
    dlg.DestroyWindow();
    PumpMessages(0);
  };
  walk();  // the first use loads modules and fonts
  const LeakCounts before = TakeLeakCounts();
  walk();
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
