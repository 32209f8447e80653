// The main dialog in-process: tabs, page switching, layout, system menu and
// about box.
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

  CWnd* Pages(int i) {
    CWnd* pages[] = {&m_dlg.m_page0, &m_dlg.m_page1, &m_dlg.m_page2, &m_dlg.m_page3, &m_dlg.m_page4};
    return pages[i];
  }

  int VisiblePageMask() {
    int mask = 0;
    for (int i = 0; i < 5; ++i)
      if (IsWindowVisible(Pages(i)->GetSafeHwnd())) mask |= 1 << i;
    return mask;
  }

  // What a click on tab k does: select it, then notify the dialog.
  void SelectTab(int k) {
    m_dlg.m_tab.SetCurSel(k);
    NMHDR header{m_dlg.m_tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    m_dlg.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  }

  void ExpectPagesAtTabPageRect() {
    RECT client{};
    m_dlg.m_tab.GetClientRect(&client);
    const RECT expected = CHalvernDlg::TabPageRect(client);
    for (int i = 0; i < 5; ++i) {
      RECT rc{};
      GetWindowRect(Pages(i)->GetSafeHwnd(), &rc);
      MapWindowPoints(nullptr, m_dlg.m_tab.GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
      EXPECT_EQ(rc.left, expected.left) << "page " << i;
      EXPECT_EQ(rc.top, expected.top) << "page " << i;
      EXPECT_EQ(rc.right, expected.right) << "page " << i;
      EXPECT_EQ(rc.bottom, expected.bottom) << "page " << i;
    }
  }

  CHalvernDlg m_dlg;
};

TEST_F(ShellTest, StartsWithFiveTabsAndOnlyTheSystemPageShown) {
  ASSERT_EQ(m_dlg.m_tab.GetItemCount(), 5);
  const wchar_t* labels[] = {L"进程", L"内核模块", L"系统信息", L"内核对象", L"DebugView"};
  for (int i = 0; i < 5; ++i) {
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = text;
    item.cchTextMax = 64;
    m_dlg.m_tab.GetItem(i, &item);
    EXPECT_STREQ(text, labels[i]);
    EXPECT_EQ(GetParent(Pages(i)->GetSafeHwnd()), m_dlg.m_tab.GetSafeHwnd());
  }
  EXPECT_EQ(m_dlg.m_tab.GetCurSel(), 2);
  EXPECT_EQ(VisiblePageMask(), 1 << 2);
}

TEST_F(ShellTest, SelectingATabShowsExactlyItsPage) {
  for (int k : {0, 1, 3, 4, 2, 0}) {
    SelectTab(k);
    EXPECT_EQ(VisiblePageMask(), 1 << k) << "tab " << k;
  }
  // No selection changes nothing.
  m_dlg.m_tab.SetCurSel(-1);
  NMHDR header{m_dlg.m_tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
  m_dlg.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(VisiblePageMask(), 1 << 0);
}

TEST_F(ShellTest, PagesFollowTheTabControlWhenResized) {
  ExpectPagesAtTabPageRect();

  m_dlg.ShowWindow(SW_MAXIMIZE);
  PumpMessages(50);
  RECT dialogClient{}, tabRect{};
  m_dlg.GetClientRect(&dialogClient);
  m_dlg.m_tab.GetWindowRect(&tabRect);
  MapWindowPoints(nullptr, m_dlg.GetSafeHwnd(), reinterpret_cast<POINT*>(&tabRect), 2);
  EXPECT_EQ(tabRect.left, 0);
  EXPECT_EQ(tabRect.top, 0);
  EXPECT_EQ(tabRect.right, dialogClient.right);
  EXPECT_EQ(tabRect.bottom, dialogClient.bottom);
  ExpectPagesAtTabPageRect();

  m_dlg.ShowWindow(SW_RESTORE);
  PumpMessages(50);
  ExpectPagesAtTabPageRect();
}

TEST_F(ShellTest, WindowHasTheTemplatesCaptionStylesAndIcon) {
  wchar_t caption[128] = {};
  GetWindowTextW(m_dlg.GetSafeHwnd(), caption, 128);
  EXPECT_STREQ(caption, L"Halvern  for Windows XP/2003/Vista x64 (Public Version)  ---Corvath");
  const DWORD templateStyle = 0x90cb0848;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(m_dlg.GetSafeHwnd(), GWL_STYLE)) & templateStyle, templateStyle);
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongW(m_dlg.GetSafeHwnd(), GWL_EXSTYLE));
  EXPECT_EQ(exStyle & (WS_EX_APPWINDOW | WS_EX_TOPMOST), static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_TOPMOST));
  EXPECT_NE(m_dlg.m_hIcon, nullptr);
  EXPECT_EQ(m_dlg.SendMessage(WM_GETICON, ICON_BIG), reinterpret_cast<LRESULT>(m_dlg.m_hIcon));
  EXPECT_EQ(m_dlg.SendMessage(WM_GETICON, ICON_SMALL), reinterpret_cast<LRESULT>(m_dlg.m_hIcon));
  EXPECT_EQ(m_dlg.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(m_dlg.m_hIcon));
}

TEST_F(ShellTest, SystemMenuEndsWithTheAboutEntry) {
  HMENU menu = GetSystemMenu(m_dlg.GetSafeHwnd(), FALSE);
  ASSERT_NE(menu, nullptr);
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 2);
  EXPECT_EQ(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  wchar_t text[64] = {};
  GetMenuStringW(menu, count - 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"关于 Halvern(&A)...");
}

// Waits for the about box on another thread, reads it, and presses OK.
struct AboutBoxProbe {
  std::wstring caption;
  std::wstring text;
  bool closed = false;

  void Run() {
    HWND about = nullptr;
    for (int i = 0; i < 200 && !about; ++i) {
      about = FindWindowW(L"#32770", L"关于 Halvern");
      if (!about) Sleep(25);
    }
    if (!about) return;
    wchar_t buffer[256] = {};
    GetWindowTextW(about, buffer, 256);
    caption = buffer;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t childText[256] = {};
      GetWindowTextW(child, childText, 256);
      if (wcsstr(childText, L"Halvern for Windows")) text = childText;
    }
    closed = PostMessageW(about, WM_COMMAND, IDOK, 0) != 0;
  }
};

TEST_F(ShellTest, AboutCommandOpensTheAboutBoxModally) {
  for (UINT command : {0x10u, 0x13u}) {
    AboutBoxProbe probe;
    std::thread prober([&probe] { probe.Run(); });
    m_dlg.SendMessage(WM_SYSCOMMAND, command, 0);  // returns when the box is closed
    prober.join();
    EXPECT_EQ(probe.caption, L"关于 Halvern") << command;
    EXPECT_EQ(probe.text, L"Halvern for Windows\nXP/2003/Vista x64\nVersion 0.9(Public)") << command;
    EXPECT_TRUE(probe.closed);
    EXPECT_EQ(FindWindowW(L"#32770", L"关于 Halvern"), nullptr);
  }
}

TEST(ShellLifetime, CreatingAndDestroyingTheDialogLeaksNothing) {
  EnsureCommonControls();
  {  // warm up: first use loads modules and fonts
    CHalvernDlg dlg;
    dlg.Create(IDD_HALVERN_DIALOG, nullptr);
    dlg.DestroyWindow();
  }
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 10; ++i) {
    CHalvernDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_HALVERN_DIALOG, nullptr));
    PumpMessages(0);
    dlg.DestroyWindow();
  }
  PumpMessages(0);
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
