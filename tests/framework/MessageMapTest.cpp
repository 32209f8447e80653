// Message maps on real dialog windows: dispatch through a chain of maps, the parameter crackers, Default() with
// nested messages, which WM_SHOWWINDOW messages a page gets, and paint handlers.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Framework.h"
#include "tests/support/CStringPrinter.h"
#include "tests/framework/TestResources.h"
#include "tests/support/GuiFixture.h"

namespace {

constexpr UINT kCommandId = 42;
using Calls = std::vector<std::wstring>;

class CRecordingBase : public CDialog {
 public:
  CRecordingBase() : CDialog(IDD_TEST_PAGE) {}
  Calls m_calls;

 protected:
  void OnSize(UINT, int, int) { m_calls.push_back(L"base size"); }
  void OnClose() { m_calls.push_back(L"base close"); }
  // Not in this class's map: the derived class maps it.
  void OnSysCommand(UINT nID, LPARAM lParam) {
    m_calls.push_back(L"base syscommand " + std::to_wstring(nID) + L"," + std::to_wstring(lParam));
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingBase, CDialog)
  ON_WM_SIZE()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

class CRecordingPage : public CRecordingBase {
 public:
  std::vector<BOOL> m_shows;
  bool m_paintWithDc = false;

 protected:
  void OnSize(UINT nType, int cx, int cy) {
    m_calls.push_back(L"page size " + std::to_wstring(nType) + L" " + std::to_wstring(cx) + L"x" + std::to_wstring(cy));
  }
  void OnShowWindow(BOOL bShow, UINT) { m_shows.push_back(bShow); }
  void OnPaint() {
    m_calls.push_back(L"paint");
    if (!m_paintWithDc) return CDialog::OnPaint();
    CPaintDC dc(this);
    EXPECT_TRUE(dc.DrawIcon(0, 0, ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
  }
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(0x1234); }
  void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
    m_calls.push_back(L"dblclk " + std::to_wstring(pNMHDR->idFrom));
    *pResult = 7;
  }
  void OnCommand42() { m_calls.push_back(L"command"); }
  // The outer WM_SETTEXT sends an inner one first; each passes its own text on.
  LRESULT OnSetText(WPARAM, LPARAM lParam) {
    if (std::wstring(reinterpret_cast<LPCWSTR>(lParam)) == L"outer")
      SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"inner"));
    return Default();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingPage, CRecordingBase)
  ON_WM_SIZE()
  ON_WM_SHOWWINDOW()
  ON_WM_PAINT()
  ON_WM_SYSCOMMAND()  // names the base's handler
  ON_WM_QUERYDRAGICON()
  ON_NOTIFY(NM_DBLCLK, IDC_TEST_LIST, &CRecordingPage::OnListDblClk)
  ON_COMMAND(kCommandId, &CRecordingPage::OnCommand42)
  ON_MESSAGE(WM_SETTEXT, &CRecordingPage::OnSetText)
END_MESSAGE_MAP()

class MessageMapTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_TEST_PAGE, &host));
    m_page.m_calls.clear();
  }
  LRESULT Notify(UINT_PTR id, UINT code) {
    NMHDR header = {nullptr, id, code};
    return m_page.SendMessage(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
  }
  LRESULT Command(UINT id, UINT code, HWND control) {
    return m_page.SendMessage(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
  }

  CRecordingPage m_page;
};

TEST_F(MessageMapTest, MostDerivedEntryWinsBaseEntriesApplyAndCrackersPassParameters) {
  m_page.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
  m_page.SendMessage(WM_CLOSE);
  m_page.SendMessage(WM_SYSCOMMAND, 16, 77);
  EXPECT_EQ(m_page.m_calls, (Calls{L"page size 2 640x480", L"base close", L"base syscommand 16,77"}));
  EXPECT_EQ(m_page.SendMessage(WM_QUERYDRAGICON), 0x1234);
  // Unmapped messages get the dialog manager's handling.
  m_page.SendMessage(DM_SETDEFID, 1234);
  EXPECT_EQ(LOWORD(m_page.SendMessage(DM_GETDEFID)), 1234);
}

TEST_F(MessageMapTest, NotificationsMatchCodeAndControlIdCommandsTheId) {
  EXPECT_EQ(Notify(IDC_TEST_LIST, NM_DBLCLK), 7);
  EXPECT_EQ(Notify(IDC_TEST_TREE, NM_DBLCLK), 0);
  EXPECT_EQ(Notify(IDC_TEST_LIST, NM_CLICK), 0);
  Command(kCommandId, 0, nullptr);  // menu
  Command(kCommandId, 1, nullptr);  // accelerator
  Command(kCommandId, BN_CLICKED, Host());
  Command(kCommandId, EN_CHANGE, Host());  // a control's notice, not a command
  Command(kCommandId + 1, 0, nullptr);
  EXPECT_EQ(m_page.m_calls, (Calls{L"dblclk 1001", L"command", L"command", L"command"}));
}

TEST_F(MessageMapTest, DefaultPassesOnTheMessageBeingHandledEvenWhenNested) {
  EXPECT_TRUE(m_page.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"outer")));  // the handler's result
  CString text;
  m_page.GetWindowText(text);
  EXPECT_EQ(text, L"outer");
  EXPECT_EQ(m_page.Default(), 0);  // outside any message there is nothing to pass on
}

TEST_F(MessageMapTest, ShowWindowArrivesOnlyWhenVisibilityChanges) {
  for (int show : {SW_HIDE, SW_SHOW, SW_SHOW, SW_HIDE, SW_HIDE, SW_SHOW}) m_page.ShowWindow(show);
  EXPECT_EQ(m_page.m_shows, (std::vector<BOOL>{TRUE, FALSE, TRUE}));
}

// Either way the window is validated: no endless stream of WM_PAINT.
TEST_F(MessageMapTest, PaintHandlersValidateTheWindow) {
  m_page.ShowWindow(SW_SHOW);
  for (bool withDc : {false, true}) {
    m_page.m_paintWithDc = withDc;
    m_page.m_calls.clear();
    ::InvalidateRect(m_page.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_page.m_hWnd);
    EXPECT_EQ(m_page.m_calls, Calls{L"paint"});
    EXPECT_FALSE(::GetUpdateRect(m_page.m_hWnd, nullptr, FALSE));
  }
}

}  // namespace
