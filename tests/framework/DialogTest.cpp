// CDialog: hidden modeless child pages, control binding, modal runs and how
// each kind of dialog ends, and the default paint handling.
#include <gtest/gtest.h>

#include "framework/Framework.h"
#include "tests/framework/CStringPrinter.h"
#include "tests/framework/TestResources.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"

namespace {

class CTestPage : public CPropertyPage {
 public:
  CTestPage() : CPropertyPage(IDD_TEST_PAGE, 0, 104) {}

  CListCtrl m_list;
  CTabCtrl m_tab;
  CTreeCtrl m_tree;
  CEdit m_edit;
  CStatic m_missing;
  int m_initCount = 0;
  bool m_listBoundInInit = false;

  BOOL OnInitDialog() override {
    CPropertyPage::OnInitDialog();
    ++m_initCount;
    m_listBoundInInit = m_list.GetSafeHwnd() != nullptr;
    return TRUE;
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEST_LIST, m_list);
    DDX_Control(pDX, IDC_TEST_TAB, m_tab);
    DDX_Control(pDX, IDC_TEST_TREE, m_tree);
    DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
    DDX_Control(pDX, 4321, m_missing);
  }
};

// Ends itself from its own message queue: with a command, a key or WM_CLOSE.
class CSelfEndingDialog : public CDialog {
 public:
  enum class How { kOkCommand, kEscapeKey, kClose };
  explicit CSelfEndingDialog(How how) : CDialog(IDD_TEST_MODAL), m_how(how) {}

  HWND m_owner = nullptr;
  HWND m_window = nullptr;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_window = m_hWnd;
    m_owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (m_how == How::kOkCommand) ::PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (m_how == How::kEscapeKey) ::PostMessageW(::GetDlgItem(m_hWnd, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    if (m_how == How::kClose) ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return TRUE;
  }

 private:
  How m_how;
};

class DialogTest : public GuiFixture {
 protected:
  void CreatePage() {
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_TEST_PAGE, &host));
  }

  CTestPage m_page;
};

TEST_F(DialogTest, CreateMakesAHiddenChildAndRunsOnInitDialogOnce) {
  CreatePage();
  EXPECT_EQ(m_page.m_initCount, 1);
  EXPECT_TRUE(m_page.m_listBoundInInit);
  EXPECT_FALSE(m_page.IsWindowVisible());
  EXPECT_EQ(::GetParent(m_page.m_hWnd), Host());
  EXPECT_NE(::GetWindowLongW(m_page.m_hWnd, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_FALSE(m_page.IsModal());
  CWnd host(Host());
  EXPECT_FALSE(m_page.Create(IDD_TEST_PAGE, &host));  // one window per object
  EXPECT_EQ(m_page.m_initCount, 1);
}

TEST_F(DialogTest, DdxControlBindsOnceAndLetsGoWithTheWindow) {
  CreatePage();
  HWND list = ::GetDlgItem(m_page.m_hWnd, IDC_TEST_LIST);
  EXPECT_EQ(m_page.m_list.m_hWnd, list);
  EXPECT_EQ(m_page.m_tab.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_TEST_TAB));
  EXPECT_EQ(m_page.m_tree.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_TEST_TREE));
  EXPECT_EQ(m_page.m_edit.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_TEST_EDIT));
  EXPECT_EQ(m_page.m_missing.m_hWnd, nullptr);

  EXPECT_TRUE(m_page.UpdateData(FALSE));  // binding again changes nothing
  EXPECT_EQ(m_page.m_list.m_hWnd, list);

  ASSERT_TRUE(m_page.DestroyWindow());
  EXPECT_EQ(m_page.m_hWnd, nullptr);
  EXPECT_EQ(m_page.m_list.m_hWnd, nullptr);
  EXPECT_EQ(m_page.m_edit.m_hWnd, nullptr);

  CreatePage();  // a new window binds its own controls
  EXPECT_EQ(m_page.m_list.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_TEST_LIST));
  EXPECT_TRUE(::IsWindow(m_page.m_list.m_hWnd));
}

TEST_F(DialogTest, DestroyingThePageObjectDestroysItsWindow) {
  HWND window = nullptr;
  {
    CTestPage page;
    CWnd host(Host());
    ASSERT_TRUE(page.Create(IDD_TEST_PAGE, &host));
    window = page.m_hWnd;
  }
  EXPECT_FALSE(::IsWindow(window));
}

TEST_F(DialogTest, EnterAndEscapeLeaveAModelessPageAlone) {
  CreatePage();
  m_page.ShowWindow(SW_SHOW);
  HWND window = m_page.m_hWnd;
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  // The multi-line edit passes Enter on as IDOK and Escape as WM_CLOSE to its page.
  m_page.m_edit.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
  m_page.m_edit.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  m_page.SendMessage(WM_CLOSE);
  PumpMessages(50);
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_EQ(m_page.m_hWnd, window);
  EXPECT_TRUE(m_page.IsWindowVisible());
}

TEST_F(DialogTest, ModalDialogsEndWithTheirCommand) {
  CSelfEndingDialog ok(CSelfEndingDialog::How::kOkCommand);
  EXPECT_EQ(ok.DoModal(), IDOK);
  EXPECT_EQ(ok.m_hWnd, nullptr);
  EXPECT_FALSE(::IsWindow(ok.m_window));
  EXPECT_FALSE(ok.IsModal());

  CSelfEndingDialog escape(CSelfEndingDialog::How::kEscapeKey);
  EXPECT_EQ(escape.DoModal(), IDCANCEL);
  CSelfEndingDialog close(CSelfEndingDialog::How::kClose);
  EXPECT_EQ(close.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, ModalDialogWithoutParentIsOwnedByTheMainWindow) {
  CWinApp app;
  CSelfEndingDialog unowned(CSelfEndingDialog::How::kOkCommand);
  unowned.DoModal();
  EXPECT_EQ(unowned.m_owner, nullptr);

  CWnd mainWnd(Host());
  app.m_pMainWnd = &mainWnd;
  CSelfEndingDialog owned(CSelfEndingDialog::How::kOkCommand);
  owned.DoModal();
  EXPECT_EQ(owned.m_owner, Host());
  app.m_pMainWnd = nullptr;
}

TEST_F(DialogTest, MainWindowPointerIsClearedWhenItsDialogEnds) {
  CWinApp app;
  CSelfEndingDialog dlg(CSelfEndingDialog::How::kOkCommand);
  app.m_pMainWnd = &dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_EQ(dlg.m_owner, nullptr);  // not owned by itself
}

TEST_F(DialogTest, ModalDialogThatCannotBeCreatedReturnsAtOnce) {
  CDialog missing(9999);
  EXPECT_EQ(missing.DoModal(), -1);
  CWnd host(Host());
  EXPECT_FALSE(missing.Create(9999, &host));
  EXPECT_EQ(missing.m_hWnd, nullptr);
}

class CPaintingPage : public CDialog {
 public:
  CPaintingPage() : CDialog(IDD_TEST_EMPTY) {}
  bool m_useDc = false;
  int m_paints = 0;

 protected:
  void OnPaint() {
    ++m_paints;
    if (!m_useDc) {
      CDialog::OnPaint();
      return;
    }
    CPaintDC dc(this);
    EXPECT_NE(dc.GetSafeHdc(), nullptr);
    EXPECT_TRUE(dc.DrawIcon(0, 0, ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintingPage, CDialog)
  ON_WM_PAINT()
END_MESSAGE_MAP()

TEST_F(DialogTest, PaintHandlersValidateTheWindow) {
  CPaintingPage page;
  CWnd host(Host());
  ASSERT_TRUE(page.Create(IDD_TEST_EMPTY, &host));
  page.ShowWindow(SW_SHOW);
  for (bool useDc : {false, true}) {
    page.m_useDc = useDc;
    const int before = page.m_paints;
    ::InvalidateRect(page.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(page.m_hWnd);
    EXPECT_EQ(page.m_paints, before + 1);
    EXPECT_FALSE(::GetUpdateRect(page.m_hWnd, nullptr, FALSE));
  }
}

TEST_F(DialogTest, PagesComeAndGoWithoutLeaks) {
  auto cycle = [this] {
    for (int i = 0; i < 20; ++i) {
      CTestPage page;
      CWnd host(Host());
      ASSERT_TRUE(page.Create(IDD_TEST_PAGE, &host));
      page.ShowWindow(SW_SHOW);
      page.m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
      page.m_list.InsertItem(0, L"row");
      page.ShowWindow(SW_HIDE);
    }
  };
  cycle();
  const LeakCounts before = TakeLeakCounts();
  cycle();
  ExpectNoLeaks(before, TakeLeakCounts());
}

class CSubclassedHost : public CWnd {
 public:
  int m_closes = 0;

 protected:
  void OnClose() { ++m_closes; }  // swallowed: the host stays
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSubclassedHost, CWnd)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

TEST_F(DialogTest, AnyWindowCanBeSubclassedAndReleased) {
  const LONG_PTR original = ::GetWindowLongPtrW(Host(), GWLP_WNDPROC);
  {
    CSubclassedHost host;
    ASSERT_TRUE(host.SubclassWindow(Host()));
    CSubclassedHost second;
    EXPECT_FALSE(second.SubclassWindow(Host()));  // one object per window
    host.SendMessage(WM_CLOSE);
    EXPECT_EQ(host.m_closes, 1);
    EXPECT_TRUE(::IsWindow(Host()));
    EXPECT_EQ(host.SendMessage(WM_GETTEXTLENGTH), 9);  // "Test host" via the original procedure
    EXPECT_EQ(host.UnsubclassWindow(), Host());
    EXPECT_EQ(host.m_hWnd, nullptr);
    ASSERT_TRUE(host.SubclassWindow(Host()));
  }  // the destructor undoes the subclassing too
  EXPECT_EQ(::GetWindowLongPtrW(Host(), GWLP_WNDPROC), original);
  EXPECT_EQ(::GetPropW(Host(), L"FrameworkWindowObject"), nullptr);
}

}  // namespace
