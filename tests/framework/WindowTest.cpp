// Dialogs, message maps and control holders on real windows: hidden modeless pages and control binding, whom
// modal dialogs belong to, dispatch, and the list, tree and image list where they do more than send one message.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/Framework.h"
#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"

namespace {

constexpr UINT kCommandId = 42;

class CTestPage : public CPropertyPage {
 public:
  CTestPage() : CPropertyPage(IDD_PAGE3) {}  // a tree and a list
  CListCtrl m_list;
  CTreeCtrl m_tree;
  CStatic m_missing;
  CImageList m_images;
  int m_commands = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_LIST, m_list);
    DDX_Control(pDX, IDC_TREE, m_tree);
    DDX_Control(pDX, 4321, m_missing);  // no such control
  }
  void OnListDblClk(NMHDR*, LRESULT* pResult) { *pResult = 7; }
  void OnCommand42() { ++m_commands; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CPropertyPage)
  ON_WM_PAINT()
  ON_NOTIFY(NM_DBLCLK, IDC_LIST, &CTestPage::OnListDblClk)
  ON_COMMAND(kCommandId, &CTestPage::OnCommand42)
END_MESSAGE_MAP()

class WindowTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    ASSERT_TRUE(CreatePage(m_page));
  }
  bool CreatePage(CTestPage& page) {
    CWnd host(Host());
    return page.Create(IDD_PAGE3, &host);
  }
  LRESULT Send(UINT message, WPARAM wParam, const void* lParam) {
    return m_page.SendMessage(message, wParam, reinterpret_cast<LPARAM>(lParam));
  }

  CTestPage m_page;
};

TEST_F(WindowTest, PageIsOneHiddenChildThatBindsItsControlsAndIgnoresOkAndCancel) {
  EXPECT_FALSE(m_page.IsWindowVisible());
  EXPECT_FALSE(CreatePage(m_page));  // one window per object
  EXPECT_EQ(m_page.m_list.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_LIST));
  EXPECT_EQ(m_page.m_missing.m_hWnd, nullptr);
  m_page.ShowWindow(SW_SHOW);
  for (UINT id : {IDOK, IDCANCEL}) Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), nullptr);
  PumpMessages(0);
  EXPECT_TRUE(m_page.IsWindowVisible());
  ASSERT_TRUE(m_page.DestroyWindow());
  EXPECT_EQ(m_page.m_list.m_hWnd, nullptr);
  ASSERT_TRUE(CreatePage(m_page));  // a new window binds its own controls
  EXPECT_EQ(m_page.m_list.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_LIST));
}

// Closes itself from its own message queue.
class CSelfClosingDialog : public CDialog {
 public:
  CSelfClosingDialog() : CDialog(IDD_ABOUTBOX) {}
  HWND m_owner = nullptr;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_owner = ::GetWindow(m_hWnd, GW_OWNER);
    ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    return TRUE;
  }
};

TEST_F(WindowTest, ModalDialogsBelongToTheMainWindowButNotToThemselves) {
  EXPECT_EQ(CDialog(9999).DoModal(), -1);  // no such template
  CWinApp app;
  CWnd mainWnd(Host());
  app.m_pMainWnd = &mainWnd;
  CSelfClosingDialog owned;
  EXPECT_EQ(owned.DoModal(), IDCANCEL);
  EXPECT_EQ(owned.m_owner, Host());
  CSelfClosingDialog mainDialog;
  app.m_pMainWnd = &mainDialog;
  mainDialog.DoModal();
  EXPECT_EQ(mainDialog.m_owner, nullptr);
  EXPECT_EQ(app.m_pMainWnd, nullptr);  // forgotten when its window goes
}

TEST_F(WindowTest, PagesComeAndGoWithoutLeaks) {
  auto cycle = [&] {
    for (int i = 0; i < 20; ++i) {
      CTestPage page;
      ASSERT_TRUE(CreatePage(page));
      page.ShowWindow(SW_SHOW);
      page.m_list.InsertItem(0, L"row");
      ASSERT_TRUE(page.m_images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
      page.m_list.SetImageList(&page.m_images, LVSIL_SMALL);
    }
  };
  cycle();
  const LeakCounts before = TakeLeakCounts();
  cycle();
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST_F(WindowTest, NoticesCommandsAndPaintingReachTheirEntries) {
  const NMHDR notices[] = {{nullptr, IDC_LIST, NM_DBLCLK}, {nullptr, IDC_TREE, NM_DBLCLK}};
  EXPECT_EQ(Send(WM_NOTIFY, IDC_LIST, &notices[0]), 7);
  EXPECT_EQ(Send(WM_NOTIFY, IDC_TREE, &notices[1]), 0);
  // Accelerator and button click are commands; a control's other notices and other ids are not.
  const std::tuple<UINT, UINT, HWND> commands[] = {
      {kCommandId, 1, nullptr}, {kCommandId, BN_CLICKED, Host()}, {kCommandId, EN_CHANGE, Host()}, {43, 0, nullptr}};
  for (const auto& [id, code, control] : commands) Send(WM_COMMAND, MAKEWPARAM(id, code), control);
  EXPECT_EQ(m_page.m_commands, 2);
  m_page.ShowWindow(SW_SHOW);
  ::InvalidateRect(m_page.m_hWnd, nullptr, TRUE);
  ::UpdateWindow(m_page.m_hWnd);
  EXPECT_FALSE(::GetUpdateRect(m_page.m_hWnd, nullptr, FALSE));  // no endless stream of WM_PAINT
}

TEST_F(WindowTest, ControlsKeepTextsOfAnyLengthAndShareTheirImageList) {
  const std::wstring longText(700, L'n');
  CListCtrl& list = m_page.m_list;
  list.InsertColumn(0, L"Name", LVCFMT_LEFT, 120);
  list.InsertColumn(1, L"Path", LVCFMT_LEFT, 100);
  EXPECT_EQ(list.InsertItem(0, L"explorer.exe", 3), 0);
  EXPECT_TRUE(list.SetItemText(0, 1, longText.c_str()));
  EXPECT_EQ(list.GetItemText(0, 1), longText.c_str());
  EXPECT_EQ(list.GetItemText(7, 0), L"");
  EXPECT_TRUE(list.SetItemData(0, 0x123456789ABCULL));
  EXPECT_EQ(list.GetItemData(0), 0x123456789ABCULL);
  EXPECT_EQ(list.GetItemText(0, 0), L"explorer.exe");  // setting the data keeps the text
  CTreeCtrl& tree = m_page.m_tree;
  EXPECT_EQ(tree.GetItemText(tree.InsertItem(longText.c_str(), 0, 1, TVI_ROOT, TVI_LAST)), longText.c_str());

  CImageList& images = m_page.m_images;
  const HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
  EXPECT_EQ(images.Add(icon), -1);  // no list yet
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  EXPECT_FALSE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  tree.SetImageList(&images, TVSIL_NORMAL);
  list.SetImageList(&images, LVSIL_SMALL);
  ASSERT_TRUE(m_page.DestroyWindow());  // list and tree go with the page, the image list stays
  EXPECT_EQ(images.Add(icon), 0);
}

}  // namespace
