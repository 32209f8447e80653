// The system information page under Wine: layout, both reports from the
// running system on every showing, no leaks.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/sysinfo/CPage2.h"

namespace {

class Page2Test : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_PAGE2, &host));
    host.Detach();
  }
  void TearDown() override {
    m_page.DestroyWindow();
    GuiFixture::TearDown();
  }
  CString OsText() {
    CString text;
    m_page.m_editOs.GetWindowText(text);
    return text;
  }
  CPage2 m_page;
};

TEST_F(Page2Test, OddWidthLayout) {
  m_page.MoveWindow(0, 0, 801, 600, TRUE);
  std::wstring rects;
  const CWnd* controls[] = {&m_page.m_frame, &m_page.m_grpOs, &m_page.m_editOs, &m_page.m_grpCpu, &m_page.m_editCpu};
  for (const CWnd* control : controls) {
    RECT rc{};
    control->GetWindowRect(&rc);
    MapWindowPoints(nullptr, m_page.GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
    for (LONG edge : {rc.left, rc.top, rc.right, rc.bottom}) rects += std::to_wstring(edge) + L" ";
  }
  EXPECT_EQ(rects, L"0 0 801 600 8 8 396 592 12 28 392 588 404 8 793 592 408 28 789 588 ");
}

TEST_F(Page2Test, EveryShowingBuildsBothReportsFromTheSystemWithoutLeaks) {
  wchar_t savedHome[2048] = {}, savedTemp[2048] = {};
  const DWORD home = GetEnvironmentVariableW(L"HOMEPATH", savedHome, 2048);
  const DWORD temp = GetEnvironmentVariableW(L"TEMP", savedTemp, 2048);
  SetEnvironmentVariableW(L"HOMEPATH", std::wstring(1100, L'h').c_str());  // does not fit: left out
  SetEnvironmentVariableW(L"TEMP", nullptr);                               // stays unexpanded
  m_page.ShowWindow(SW_SHOW);
  SetEnvironmentVariableW(L"HOMEPATH", home ? savedHome : nullptr);
  SetEnvironmentVariableW(L"TEMP", temp ? savedTemp : nullptr);

  const CString os = OsText();
  wchar_t user[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(os.Find(L"Operating System INFORMATION:\r\n\r\nVersion: Microsoft "), 0) << os;
  EXPECT_NE(os.Find(CString(L"\r\n\r\nUser name:\t\t") + user + L"\r\n"), -1) << os;
  EXPECT_EQ(os.Find(L"HOMEPATH"), -1) << os;
  EXPECT_NE(os.Find(L"\r\nTEMP:\t\t\t%TEMP%\r\n"), -1) << os;
  EXPECT_NE(os.Find(L"\r\nPage Size:\t\t0x1000(4096 Bytes)\r\nAllocation Granularity:\t0x10000(64 K)\r\n"), -1);
  EXPECT_NE(os.Find(L"\r\nMemory Information:\r\nPhysical Memory:\r\n  Total:"), -1) << os;
  CString cpu;
  m_page.m_editCpu.GetWindowText(cpu);
  EXPECT_EQ(cpu.Find(L"CPU INFORMATION:\r\n\r\nVendor:\t"), 0);
  EXPECT_GT(cpu.Find(L"\r\n", 22), 28) << cpu;  // a vendor stands there
  EXPECT_NE(cpu.Find(L"\r\nThe following features are supported:\r\n\t"), -1) << cpu;

  m_page.m_editOs.SetWindowText(L"old");
  m_page.ShowWindow(SW_HIDE);  // hiding keeps the text, showing rebuilds it
  EXPECT_EQ(OsText(), CString(L"old"));
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.ShowWindow(SW_SHOW);
    m_page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());
  EXPECT_EQ(OsText().Find(L"Operating System INFORMATION:"), 0);
}

}  // namespace
