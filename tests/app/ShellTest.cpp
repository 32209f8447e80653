// The main dialog in-process: tabs and page switching, layout on resizing, icon, system menu and about box.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "app/CHalvernDlg.h"
#include "res/resource.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"

namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCommonControls();
    ASSERT_TRUE(m_dlg.Create(IDD_HALVERN_DIALOG, nullptr));
    PumpMessages(0);
  }
  void TearDown() override {
    m_dlg.DestroyWindow();
    PumpMessages(0);
  }
  HWND Page(int i) {
    CWnd* pages[] = {&m_dlg.m_page0, &m_dlg.m_page1, &m_dlg.m_page2, &m_dlg.m_page3, &m_dlg.m_page4};
    return pages[i]->GetSafeHwnd();
  }
  int VisiblePages() {
    int mask = 0;
    for (int i = 0; i < 5; ++i) mask |= IsWindowVisible(Page(i)) ? 1 << i : 0;
    return mask;
  }

  CHalvernDlg m_dlg;
};

TEST_F(ShellTest, FiveTabsStartOnTheSystemPageAndATabShowsExactlyItsPage) {
  const wchar_t* labels[] = {L"进程", L"内核模块", L"系统信息", L"内核对象", L"DebugView"};
  ASSERT_EQ(m_dlg.m_tab.GetItemCount(), 5);
  for (int i = 0; i < 5; ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    m_dlg.m_tab.GetItem(i, &item);
    EXPECT_STREQ(text, labels[i]);
    EXPECT_EQ(GetParent(Page(i)), m_dlg.m_tab.GetSafeHwnd());
  }
  EXPECT_EQ(m_dlg.m_tab.GetCurSel(), 2);
  EXPECT_EQ(VisiblePages(), 1 << 2);
  for (int k : {0, 1, 3, 4, 2, 0, -1}) {  // what a click does: select, then notify; no selection changes nothing
    m_dlg.m_tab.SetCurSel(k);
    NMHDR header{m_dlg.m_tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    m_dlg.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(VisiblePages(), 1 << (k < 0 ? 0 : k)) << k;
  }
}

TEST_F(ShellTest, OnResizingTheTabFillsTheDialogAndThePagesFollowIt) {
  for (int show : {SW_SHOWNORMAL, SW_MAXIMIZE, SW_RESTORE}) {
    m_dlg.ShowWindow(show);
    PumpMessages(50);
    RECT dialog{}, tab{}, client{}, page{};
    m_dlg.GetClientRect(&dialog);
    m_dlg.m_tab.GetWindowRect(&tab);
    MapWindowPoints(nullptr, m_dlg.GetSafeHwnd(), reinterpret_cast<POINT*>(&tab), 2);
    if (show != SW_SHOWNORMAL) {
      EXPECT_TRUE(EqualRect(&tab, &dialog)) << show;
    }
    m_dlg.m_tab.GetClientRect(&client);
    const RECT expected = CHalvernDlg::TabPageRect(client);
    for (int i = 0; i < 5; ++i) {
      GetWindowRect(Page(i), &page);
      MapWindowPoints(nullptr, m_dlg.m_tab.GetSafeHwnd(), reinterpret_cast<POINT*>(&page), 2);
      EXPECT_TRUE(EqualRect(&page, &expected)) << "page " << i << " after " << show;
    }
  }
}

TEST_F(ShellTest, IconAndTheAboutEntryOfTheSystemMenuThatOpensTheAboutBox) {
  ASSERT_NE(m_dlg.m_hIcon, nullptr);
  for (LRESULT icon : {m_dlg.SendMessage(WM_GETICON, ICON_BIG), m_dlg.SendMessage(WM_GETICON, ICON_SMALL),
                       m_dlg.SendMessage(WM_QUERYDRAGICON)})
    EXPECT_EQ(icon, reinterpret_cast<LRESULT>(m_dlg.m_hIcon));
  HMENU menu = GetSystemMenu(m_dlg.GetSafeHwnd(), FALSE);
  const int count = GetMenuItemCount(menu);
  EXPECT_EQ(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t text[64] = {};
  GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"关于 Halvern(&A)...");
  for (UINT command : {0x10u, 0x13u}) {  // the low four bits of a system command are the system's own
    std::wstring body;
    std::thread prober([&body] {  // waits for the about box, reads it and presses OK
      HWND about = nullptr;
      for (int i = 0; i < 200 && !(about = FindWindowW(L"#32770", L"关于 Halvern")); ++i) Sleep(25);
      for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t childText[256] = {};
        GetWindowTextW(child, childText, 256);
        if (wcsstr(childText, L"Halvern")) body = childText;
      }
      if (about) PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    m_dlg.SendMessage(WM_SYSCOMMAND, command, 0);  // returns when the box is closed
    prober.join();
    EXPECT_EQ(body, L"Halvern for Windows\nXP/2003/Vista x64\nVersion 0.9(Public)") << command;
  }
}

TEST(ShellLifetime, CreatingAndDestroyingTheDialogLeaksNothing) {
  EnsureCommonControls();
  const auto cycle = [](int times) {
    for (int i = 0; i < times; ++i) {
      CHalvernDlg dlg;
      ASSERT_TRUE(dlg.Create(IDD_HALVERN_DIALOG, nullptr));
      PumpMessages(0);
      dlg.DestroyWindow();
    }
    PumpMessages(0);
  };
  cycle(1);  // warm up: first use loads modules and fonts
  const LeakCounts before = TakeLeakCounts();
  cycle(10);
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
