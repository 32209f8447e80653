// Dialogs and their controls on real windows: hidden modeless pages, control binding, how modal dialogs end and
// whom they belong to, the application object and the program entry, subclassing, and the control holders where
// they do more than send one message.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/Framework.h"
#include "tests/support/CStringPrinter.h"
#include "tests/framework/TestResources.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int);

namespace {

HICON StockIcon() { return ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)); }

class CTestPage : public CPropertyPage {
 public:
  CTestPage() : CPropertyPage(IDD_TEST_PAGE) {}

  CListCtrl m_list;
  CListCtrl m_sorted;
  CTreeCtrl m_tree;
  CEdit m_edit;
  CStatic m_missing;
  CImageList m_images;
  int m_initCount = 0;
  bool m_listBoundInInit = false;
  std::vector<std::wstring> m_selections;

  BOOL OnInitDialog() override {
    CPropertyPage::OnInitDialog();
    ++m_initCount;
    m_listBoundInInit = m_list.GetSafeHwnd() != nullptr;
    return TRUE;
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_TEST_LIST, m_list);
    DDX_Control(pDX, IDC_TEST_SORTED_LIST, m_sorted);
    DDX_Control(pDX, IDC_TEST_TREE, m_tree);
    DDX_Control(pDX, IDC_TEST_EDIT, m_edit);
    DDX_Control(pDX, 4321, m_missing);  // no such control
  }
  void OnTreeSelChanged(NMHDR*, LRESULT*) {
    m_selections.push_back(m_tree.GetItemText(m_tree.GetSelectedItem()).GetString());
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CPropertyPage)
  ON_NOTIFY(TVN_SELCHANGED, IDC_TEST_TREE, &CTestPage::OnTreeSelChanged)
END_MESSAGE_MAP()

// Ends itself from its own message queue with the message it is given (a key goes to its OK button).
class CSelfEndingDialog : public CDialog {
 public:
  CSelfEndingDialog(UINT message, WPARAM wParam) : CDialog(IDD_TEST_MODAL), m_message(message), m_wParam(wParam) {}

  const UINT m_message;
  const WPARAM m_wParam;
  HWND m_window = nullptr;
  HWND m_owner = nullptr;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_window = m_hWnd;
    m_owner = ::GetWindow(m_hWnd, GW_OWNER);
    ::PostMessageW(m_message == WM_KEYDOWN ? ::GetDlgItem(m_hWnd, IDOK) : m_hWnd, m_message, m_wParam, 0);
    return TRUE;
  }
};

class DialogTest : public GuiFixture {
 protected:
  bool CreatePage(CTestPage& page) {
    CWnd host(Host());
    return page.Create(IDD_TEST_PAGE, &host);
  }

  CTestPage m_page;
};

TEST_F(DialogTest, CreateMakesOneHiddenChildWhoseControlsDdxBindsOnce) {
  ASSERT_TRUE(CreatePage(m_page));
  EXPECT_EQ(m_page.m_initCount, 1);
  EXPECT_TRUE(m_page.m_listBoundInInit);
  EXPECT_FALSE(m_page.IsWindowVisible());
  EXPECT_EQ(::GetParent(m_page.m_hWnd), Host());
  EXPECT_FALSE(CreatePage(m_page));  // one window per object
  EXPECT_EQ(m_page.m_initCount, 1);
  HWND list = ::GetDlgItem(m_page.m_hWnd, IDC_TEST_LIST);
  EXPECT_EQ(m_page.m_list.m_hWnd, list);
  EXPECT_EQ(m_page.m_edit.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_TEST_EDIT));
  EXPECT_EQ(m_page.m_missing.m_hWnd, nullptr);
  EXPECT_TRUE(m_page.UpdateData(FALSE));  // binding again changes nothing
  EXPECT_EQ(m_page.m_list.m_hWnd, list);
  ASSERT_TRUE(m_page.DestroyWindow());
  EXPECT_EQ(m_page.m_hWnd, nullptr);
  EXPECT_EQ(m_page.m_list.m_hWnd, nullptr);
  ASSERT_TRUE(CreatePage(m_page));  // a new window binds its own controls
  EXPECT_EQ(m_page.m_list.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_TEST_LIST));
}

TEST_F(DialogTest, EnterAndEscapeLeaveAModelessPageAlone) {
  ASSERT_TRUE(CreatePage(m_page));
  m_page.ShowWindow(SW_SHOW);
  HWND window = m_page.m_hWnd;
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  m_page.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  // The multi-line edit passes Enter on as IDOK and Escape as WM_CLOSE to its page.
  m_page.m_edit.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
  m_page.m_edit.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
  m_page.SendMessage(WM_CLOSE);
  PumpMessages(50);
  EXPECT_EQ(m_page.m_hWnd, window);
  EXPECT_TRUE(m_page.IsWindowVisible());
}

TEST_F(DialogTest, ModalDialogsEndWithTheirCommandKeyOrCloseAndBelongToTheMainWindow) {
  const std::tuple<UINT, WPARAM, INT_PTR> ends[] = {
      {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), IDOK}, {WM_KEYDOWN, VK_ESCAPE, IDCANCEL}, {WM_CLOSE, 0, IDCANCEL}};
  for (const auto& [message, wParam, result] : ends) {
    CSelfEndingDialog dialog(message, wParam);
    EXPECT_EQ(dialog.DoModal(), result) << message;
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_FALSE(::IsWindow(dialog.m_window));
    EXPECT_EQ(dialog.m_owner, nullptr);  // no application, no main window
  }
  EXPECT_EQ(CDialog(9999).DoModal(), -1);  // no such template

  CWinApp app;
  CWnd mainWnd(Host());
  app.m_pMainWnd = &mainWnd;
  CSelfEndingDialog owned(WM_CLOSE, 0);
  owned.DoModal();
  EXPECT_EQ(owned.m_owner, Host());
  CSelfEndingDialog mainDialog(WM_CLOSE, 0);
  app.m_pMainWnd = &mainDialog;
  mainDialog.DoModal();
  EXPECT_EQ(mainDialog.m_owner, nullptr);  // not owned by itself
  EXPECT_EQ(app.m_pMainWnd, nullptr);      // forgotten when its window goes
}

class CEntryApp : public CWinAppEx {
 public:
  std::vector<std::string> m_calls;
  std::wstring m_keyName = L"FrameworkTestKey" + std::to_wstring(::GetCurrentProcessId());

  BOOL InitInstance() override {
    m_calls.push_back("init");
    SetRegistryKey(m_keyName.c_str());
    return FALSE;
  }
  int ExitInstance() override {
    m_calls.push_back("exit");
    return 3;
  }
};

TEST(WinApp, EntryRunsInitThenExitOfTheCurrentApplication) {
  EXPECT_EQ(wWinMain(nullptr, nullptr, nullptr, 0), 1);  // no application object
  {
    CEntryApp app;
    ASSERT_EQ(GetCurrentApp(), &app);
    EXPECT_EQ(wWinMain(::GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L"ignored"), SW_SHOW), 3);
    EXPECT_EQ(app.m_calls, (std::vector<std::string>{"init", "exit"}));
    // The registry key is only a name: nothing is written.
    EXPECT_EQ(std::wstring(app.GetRegistryKey()), app.m_keyName);
    HKEY key = nullptr;
    const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\" + app.m_keyName).c_str(), 0, KEY_READ, &key);
    if (opened == ERROR_SUCCESS) ::RegCloseKey(key);
    EXPECT_NE(opened, ERROR_SUCCESS);
  }
  EXPECT_EQ(GetCurrentApp(), nullptr);
}

TEST_F(DialogTest, PagesComeAndGoWithoutLeaks) {
  HWND window = nullptr;
  auto cycle = [&] {
    for (int i = 0; i < 20; ++i) {
      CTestPage page;
      ASSERT_TRUE(CreatePage(page));
      page.ShowWindow(SW_SHOW);
      page.m_list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
      page.m_list.InsertItem(0, L"row");
      ASSERT_TRUE(page.m_images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
      page.m_list.SetImageList(&page.m_images, LVSIL_SMALL);
      window = page.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(window));  // the page object takes its window with it
  };
  cycle();
  const LeakCounts before = TakeLeakCounts();
  cycle();
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST_F(DialogTest, AnyWindowCanBeSubclassedAndReleased) {
  const LONG_PTR original = ::GetWindowLongPtrW(Host(), GWLP_WNDPROC);
  {
    CWnd host;
    ASSERT_TRUE(host.SubclassWindow(Host()));
    EXPECT_FALSE(CWnd().SubclassWindow(Host()));  // one object per window
    EXPECT_NE(::GetWindowLongPtrW(Host(), GWLP_WNDPROC), original);
    EXPECT_EQ(host.SendMessage(WM_GETTEXTLENGTH), 9);  // "Test host", from the original procedure
    EXPECT_EQ(host.UnsubclassWindow(), Host());
    EXPECT_EQ(::GetWindowLongPtrW(Host(), GWLP_WNDPROC), original);
    ASSERT_TRUE(host.SubclassWindow(Host()));
  }  // the destructor undoes the subclassing too
  EXPECT_EQ(::GetWindowLongPtrW(Host(), GWLP_WNDPROC), original);
  EXPECT_EQ(::GetPropW(Host(), L"FrameworkWindowObject"), nullptr);
}

TEST_F(DialogTest, ListTextsOfAnyLengthDataBesideTheTextAndWhereASortedRowWent) {
  ASSERT_TRUE(CreatePage(m_page));
  CListCtrl& list = m_page.m_list;
  EXPECT_EQ(list.InsertColumn(0, L"映像名称", LVCFMT_LEFT, 120), 0);
  EXPECT_EQ(list.InsertColumn(1, L"Path", LVCFMT_LEFT, 100), 1);
  EXPECT_EQ(list.GetColumnWidth(0), 120);
  EXPECT_EQ(list.InsertItem(0, L"System"), 0);
  EXPECT_EQ(list.InsertItem(1, L"explorer.exe", 3), 1);
  const std::wstring longPath = L"C:\\" + std::wstring(1500, L'p') + L"\\a.exe";
  EXPECT_TRUE(list.SetItemText(1, 1, longPath.c_str()));
  EXPECT_EQ(list.GetItemText(1, 1), longPath.c_str());
  EXPECT_EQ(list.GetItemText(7, 0), L"");
  EXPECT_TRUE(list.SetItemData(1, 0x123456789ABCULL));
  EXPECT_EQ(list.GetItemData(1), 0x123456789ABCULL);
  EXPECT_EQ(list.GetItemText(1, 0), L"explorer.exe");  // setting the data keeps the text and the image
  LVITEMW item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = 1;
  ASSERT_TRUE(list.GetItem(&item));
  EXPECT_EQ(item.iImage, 3);
  list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP);
  list.SetExtendedStyle(0x10023);
  EXPECT_EQ(list.GetExtendedStyle(), 0x10023u);  // set, not added

  m_page.m_sorted.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
  EXPECT_EQ(m_page.m_sorted.InsertItem(0, L"b"), 0);
  EXPECT_EQ(m_page.m_sorted.InsertItem(1, L"a"), 0);
}

TEST_F(DialogTest, TreeTextsOfAnyLengthOrderAndOneNoticePerSelection) {
  ASSERT_TRUE(CreatePage(m_page));
  CTreeCtrl& tree = m_page.m_tree;
  HTREEITEM root = tree.InsertItem(L"\\", 0, 1, TVI_ROOT, TVI_LAST);
  HTREEITEM b = tree.InsertItem(L"Device", 0, 1, root, TVI_SORT);
  HTREEITEM a = tree.InsertItem(L"BaseNamedObjects", 0, 1, root, TVI_SORT);
  const std::wstring longName(700, L'n');
  HTREEITEM deep = tree.InsertItem(longName.c_str(), 0, 1, b, TVI_SORT);
  EXPECT_EQ(tree.GetChildItem(root), a);  // sorted
  EXPECT_EQ(tree.GetItemText(deep), longName.c_str());
  EXPECT_EQ(tree.GetItemText(nullptr), L"");
  EXPECT_TRUE(tree.SelectItem(b));  // the notice arrives before this returns
  EXPECT_TRUE(tree.SelectItem(b));  // already selected: no notice
  EXPECT_EQ(m_page.m_selections, (std::vector<std::wstring>{L"Device"}));
  EXPECT_TRUE(tree.DeleteAllItems());
  EXPECT_EQ(tree.GetCount(), 0u);
}

TEST_F(DialogTest, ImageListIsSharedAndOutlivesTheControlsThatShowIt) {
  ASSERT_TRUE(CreatePage(m_page));
  CImageList& images = m_page.m_images;
  EXPECT_EQ(images.Add(StockIcon()), -1);  // no list yet
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  EXPECT_FALSE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  HIMAGELIST handle = images.GetSafeHandle();
  m_page.m_tree.SetImageList(&images, TVSIL_NORMAL);
  m_page.m_list.SetImageList(&images, LVSIL_SMALL);
  EXPECT_EQ(m_page.m_list.GetImageList(LVSIL_SMALL), handle);
  EXPECT_NE(::GetWindowLongW(m_page.m_list.m_hWnd, GWL_STYLE) & LVS_SHAREIMAGELISTS, 0);
  ASSERT_TRUE(m_page.DestroyWindow());  // list and tree go with the page
  EXPECT_EQ(images.Add(StockIcon()), 0);
  EXPECT_EQ(::ImageList_GetImageCount(handle), 1);
}

}  // namespace
