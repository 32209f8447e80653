// Message maps: dispatch through a chain of maps on real dialog windows,
// the parameter crackers, Default() with nested messages, and which
// WM_SHOWWINDOW messages a page gets.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "tests/framework/CStringPrinter.h"
#include "tests/framework/TestResources.h"
#include "tests/support/GuiFixture.h"

namespace {

constexpr UINT kUserMessage = WM_APP + 1;
constexpr UINT kCommandId = 42;

class CRecordingBase : public CDialog {
 public:
  CRecordingBase() : CDialog(IDD_TEST_EMPTY) {}
  std::vector<std::wstring> m_calls;

 protected:
  void OnSize(UINT, int, int) { m_calls.push_back(L"base size"); }
  void OnClose() { m_calls.push_back(L"base close"); }
  // Not in this class's map; a derived class maps it (a shared handler).
  void OnSysCommand(UINT nID, LPARAM) { m_calls.push_back(L"shared syscommand " + std::to_wstring(nID)); }
  LRESULT OnUserMessage(WPARAM wParam, LPARAM lParam) {
    m_calls.push_back(L"base user");
    return static_cast<LRESULT>(wParam + lParam);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingBase, CDialog)
  ON_WM_SIZE()
  ON_WM_CLOSE()
  ON_MESSAGE(kUserMessage, &CRecordingBase::OnUserMessage)
END_MESSAGE_MAP()

class CRecordingPage : public CRecordingBase {
 public:
  UINT m_sizeType = 0;
  int m_cx = 0;
  int m_cy = 0;
  UINT m_sysCommand = 0;
  LPARAM m_sysParam = 0;
  HCURSOR m_dragIcon = reinterpret_cast<HCURSOR>(0x1234);
  std::vector<BOOL> m_shows;

 protected:
  void OnSize(UINT nType, int cx, int cy) {
    Default();
    m_calls.push_back(L"page size");
    m_sizeType = nType;
    m_cx = cx;
    m_cy = cy;
  }
  void OnShowWindow(BOOL bShow, UINT) {
    Default();
    m_shows.push_back(bShow);
  }
  void OnSysCommand(UINT nID, LPARAM lParam) {
    m_sysCommand = nID;
    m_sysParam = lParam;
  }
  HCURSOR OnQueryDragIcon() { return m_dragIcon; }
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
  ON_WM_SYSCOMMAND()
  ON_WM_QUERYDRAGICON()
  ON_NOTIFY(NM_DBLCLK, IDC_TEST_LIST, &CRecordingPage::OnListDblClk)
  ON_COMMAND(kCommandId, &CRecordingPage::OnCommand42)
  ON_MESSAGE(WM_SETTEXT, &CRecordingPage::OnSetText)
END_MESSAGE_MAP()

class CSharingPage : public CRecordingBase {
 protected:
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSharingPage, CRecordingBase)
  ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

class MessageMapTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_TEST_EMPTY, &host));
    m_page.m_calls.clear();
  }
  LRESULT Notify(UINT_PTR id, UINT code) {
    NMHDR header = {nullptr, id, code};
    return m_page.SendMessage(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
  }

  CRecordingPage m_page;
};

TEST_F(MessageMapTest, MostDerivedEntryWinsAndBaseEntriesStillApply) {
  m_page.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
  m_page.SendMessage(WM_CLOSE);
  EXPECT_EQ(m_page.SendMessage(kUserMessage, 40, 2), 42);
  EXPECT_EQ(m_page.m_calls, (std::vector<std::wstring>{L"page size", L"base close", L"base user"}));
  EXPECT_EQ(m_page.m_sizeType, static_cast<UINT>(SIZE_MAXIMIZED));
  EXPECT_EQ(m_page.m_cx, 640);
  EXPECT_EQ(m_page.m_cy, 480);
}

TEST_F(MessageMapTest, NotificationsMatchCodeAndControlId) {
  EXPECT_EQ(Notify(IDC_TEST_LIST, NM_DBLCLK), 7);
  EXPECT_EQ(Notify(IDC_TEST_TREE, NM_DBLCLK), 0);
  EXPECT_EQ(Notify(IDC_TEST_LIST, NM_CLICK), 0);
  EXPECT_EQ(m_page.m_calls, (std::vector<std::wstring>{L"dblclk 1001"}));
}

TEST_F(MessageMapTest, CommandsMatchIdFromMenusButtonsAndAccelerators) {
  HWND anyControl = Host();
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandId, 0), 0);  // menu
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandId, 1), 0);  // accelerator
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandId, BN_CLICKED), reinterpret_cast<LPARAM>(anyControl));
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandId, EN_CHANGE), reinterpret_cast<LPARAM>(anyControl));
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandId + 1, 0), 0);
  EXPECT_EQ(m_page.m_calls, (std::vector<std::wstring>(3, L"command")));
}

TEST_F(MessageMapTest, CrackersPassParametersAndResults) {
  m_page.SendMessage(WM_SYSCOMMAND, 0x0013, 0x00550066);
  EXPECT_EQ(m_page.m_sysCommand, 0x0013u);
  EXPECT_EQ(m_page.m_sysParam, 0x00550066);
  EXPECT_EQ(m_page.SendMessage(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(m_page.m_dragIcon));
}

TEST_F(MessageMapTest, DerivedMapCanNameAHandlerOfItsBase) {
  CSharingPage page;
  CWnd host(Host());
  ASSERT_TRUE(page.Create(IDD_TEST_EMPTY, &host));
  page.SendMessage(WM_SYSCOMMAND, 0x0010, 0);
  page.SendMessage(WM_CLOSE);
  EXPECT_EQ(page.m_calls, (std::vector<std::wstring>{L"shared syscommand 16", L"base close"}));
}

TEST_F(MessageMapTest, UnmappedMessagesGetTheDialogManagersHandling) {
  m_page.SendMessage(DM_SETDEFID, 1234);
  EXPECT_EQ(LOWORD(m_page.SendMessage(DM_GETDEFID)), 1234);
}

TEST_F(MessageMapTest, DefaultPassesOnTheMessageBeingHandledEvenWhenNested) {
  m_page.SetWindowText(L"outer");
  CString text;
  m_page.GetWindowText(text);
  EXPECT_EQ(text, L"outer");
  // Outside any message there is nothing to pass on.
  EXPECT_EQ(m_page.Default(), 0);
}

TEST_F(MessageMapTest, ShowWindowArrivesOnlyWhenVisibilityChanges) {
  m_page.ShowWindow(SW_HIDE);  // hidden already
  m_page.ShowWindow(SW_SHOW);
  m_page.ShowWindow(SW_SHOW);
  m_page.ShowWindow(SW_HIDE);
  m_page.ShowWindow(SW_HIDE);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_shows, (std::vector<BOOL>{TRUE, FALSE, TRUE}));
}

TEST_F(MessageMapTest, ChainIsSearchedWithoutAWindowToo) {
  const MessageMap* map = static_cast<const CCmdTarget&>(m_page).GetMessageMap();
  const MessageMapEntry* close = CCmdTarget::FindMessageMapEntry(map, WM_CLOSE, 0, 0);
  ASSERT_NE(close, nullptr);
  const MessageMapEntry* ok = CCmdTarget::FindMessageMapEntry(map, WM_COMMAND, IDOK, 0);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->id, static_cast<UINT_PTR>(IDOK));
  EXPECT_EQ(CCmdTarget::FindMessageMapEntry(map, WM_TIMER, 0, 0), nullptr);
}

}  // namespace
