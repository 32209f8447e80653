// The system information page under Wine: layout, both reports from the
// running system, the sections Wine lacks from fake answers, no leaks.
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
  CString Text(const CWnd& edit) {
    CString text;
    edit.GetWindowText(text);
    return text;
  }
  RECT RectInPage(const CWnd& control) {
    RECT rc{};
    control.GetWindowRect(&rc);
    MapWindowPoints(nullptr, m_page.GetSafeHwnd(), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }

  CPage2 m_page;
};

TEST_F(Page2Test, OddWidthLayout) {
  m_page.MoveWindow(0, 0, 801, 600, TRUE);
  const struct {
    const CWnd& control;
    RECT expected;
  } cases[] = {
      {m_page.m_frame, {0, 0, 801, 600}},      {m_page.m_grpOs, {8, 8, 396, 592}},
      {m_page.m_editOs, {12, 28, 392, 588}},   {m_page.m_grpCpu, {404, 8, 793, 592}},
      {m_page.m_editCpu, {408, 28, 789, 588}},
  };
  for (const auto& c : cases) {
    const RECT rc = RectInPage(c.control);
    EXPECT_TRUE(EqualRect(&rc, &c.expected)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
  }
}

TEST_F(Page2Test, SizeBeforeTheControlsAreBoundMovesNothing) {
  CPage2 unbound;
  HWND plain = CreateWindowW(L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, Host(), nullptr, nullptr, nullptr);
  ASSERT_TRUE(unbound.SubclassWindow(plain));
  unbound.SendMessage(WM_SIZE, 0, MAKELPARAM(300, 200));
  EXPECT_EQ(unbound.m_frame.GetSafeHwnd(), nullptr);
  unbound.UnsubclassWindow();
  DestroyWindow(plain);
}

TEST_F(Page2Test, ShowingBuildsBothReportsFromTheSystem) {
  const std::wstring longHome(1100, L'h');
  wchar_t savedHome[2048] = {}, savedTemp[2048] = {};
  const DWORD home = GetEnvironmentVariableW(L"HOMEPATH", savedHome, 2048);
  const DWORD temp = GetEnvironmentVariableW(L"TEMP", savedTemp, 2048);
  SetEnvironmentVariableW(L"HOMEPATH", longHome.c_str());
  SetEnvironmentVariableW(L"TEMP", nullptr);
  m_page.ShowWindow(SW_SHOW);
  SetEnvironmentVariableW(L"HOMEPATH", home ? savedHome : nullptr);
  SetEnvironmentVariableW(L"TEMP", temp ? savedTemp : nullptr);

  const CString os = Text(m_page.m_editOs);
  EXPECT_EQ(os.Find(L"Operating System INFORMATION:\r\n\r\nVersion: Microsoft "), 0) << os;
  wchar_t user[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_NE(os.Find(CString(L"\r\n\r\nUser name:\t\t") + user + L"\r\n"), -1) << os;
  EXPECT_EQ(os.Find(L"HOMEPATH"), -1) << os;  // does not fit
  EXPECT_NE(os.Find(L"\r\nTEMP:\t\t\t%TEMP%\r\n"), -1) << os;
  EXPECT_NE(os.Find(L"\r\nPage Size:\t\t0x"), -1) << os;
  EXPECT_NE(os.Find(L"\r\nMemory Information:\r\nPhysical Memory:\r\n  Total:"), -1) << os;
  EXPECT_EQ(Text(m_page.m_editCpu).Find(L"CPU INFORMATION:\r\n\r\nVendor:\t"), 0);

  // Hiding keeps the texts; showing again rebuilds them.
  m_page.m_editOs.SetWindowText(L"old");
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(Text(m_page.m_editOs), CString(L"old"));
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(Text(m_page.m_editOs).Find(L"Operating System INFORMATION:"), 0);
}

NTSTATUS NTAPI FakeDevicesAndPageFiles(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  static const uint32_t devices[6] = {3, 1, 2, 0, 4, 5};
  if (infoClass == 7) {
    memcpy(buffer, devices, sizeof(devices));
    *returned = sizeof(devices);
    return 0;
  }
  if (infoClass == 18) {
    *returned = size;  // one all-zero entry
    return 0;
  }
  return static_cast<NTSTATUS>(0xC0000003);
}

TEST_F(Page2Test, DeviceAndPageFileSectionsFromFakeAnswers) {
  ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FakeDevicesAndPageFiles);
  m_page.ShowWindow(SW_SHOW);
  const CString os = Text(m_page.m_editOs);
  EXPECT_EQ(os.Find(L"Page Size"), -1);
  EXPECT_EQ(os.Find(L"Memory Information"), -1);
  EXPECT_NE(os.Find(L"\r\n\r\n\r\nDevice Information:\r\n  Number Of Disks:\t\t3\r\n  Number Of CdRoms:\t2\r\n"
                    L"  Number Of SerialPorts:\t4\r\n  Number Of ParallelPorts:\t5\r\n"
                    L"\r\nPage File Information:\r\n  \r\n  Total Size:\t\t0 K(0 M)\r\n"),
            -1)
      << os;
}

TEST_F(Page2Test, ShowingAndHidingAHundredTimesLeaksNothing) {
  m_page.ShowWindow(SW_SHOW);
  m_page.ShowWindow(SW_HIDE);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.ShowWindow(SW_SHOW);
    m_page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
