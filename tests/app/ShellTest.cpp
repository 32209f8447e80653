// The main dialog in-process: page switching, layout on resizing, the about entry of the system menu, and no leaks.
#include <windows.h>
#include <commctrl.h>

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
  void TearDown() override { m_dlg.DestroyWindow(); }
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

TEST_F(ShellTest, StartsOnTheSystemPageAndATabShowsExactlyItsPage) {
  EXPECT_EQ(VisiblePages(), 1 << 2);
  for (int k : {0, 4, -1}) {  // what a click does: select, then notify; no selection changes nothing
    m_dlg.m_tab.SetCurSel(k);
    NMHDR header{m_dlg.m_tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    m_dlg.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(VisiblePages(), 1 << (k < 0 ? 4 : k)) << k;
  }
}

TEST_F(ShellTest, OnResizingThePagesFollowTheTab) {
  for (int show : {SW_MAXIMIZE, SW_RESTORE}) {
    m_dlg.ShowWindow(show);
    PumpMessages(50);
    RECT client{}, page{};
    m_dlg.m_tab.GetClientRect(&client);
    const RECT expected = CHalvernDlg::TabPageRect(client);
    for (int i = 0; i < 5; ++i) {
      GetWindowRect(Page(i), &page);
      MapWindowPoints(nullptr, m_dlg.m_tab.GetSafeHwnd(), reinterpret_cast<POINT*>(&page), 2);
      EXPECT_TRUE(EqualRect(&page, &expected)) << "page " << i << " after " << show;
    }
  }
}

TEST_F(ShellTest, TheAboutEntryOpensTheAboutBoxWhateverTheSystemsLowBits) {
  for (UINT command : {0x10u, 0x13u}) {
    bool opened = false;
    std::thread prober([&opened] {  // waits for the about box and presses OK
      HWND about = nullptr;
      for (int i = 0; i < 200 && !(about = FindWindowW(L"#32770", L"关于 Halvern")); ++i) Sleep(25);
      opened = about != nullptr;
      if (about) PostMessageW(about, WM_COMMAND, IDOK, 0);
    });
    m_dlg.SendMessage(WM_SYSCOMMAND, command, 0);  // returns when the box is closed
    prober.join();
    EXPECT_TRUE(opened) << command;
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
