// Dialogs, message maps and control holders on real windows: hidden modeless pages and control binding, how modal
// dialogs end and whom they belong to, dispatch through a chain of maps with its parameter crackers, and the list,
// tree and image list where they do more than send one message.
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

using Calls = std::vector<std::wstring>;
constexpr UINT kCommandId = 42;

HICON StockIcon() { return ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)); }

class CBasePage : public CPropertyPage {
 public:
  CBasePage() : CPropertyPage(IDD_PAGE3) {}  // a tree and a sorted list
  Calls m_calls;

 protected:
  void OnSize(UINT, int, int) { m_calls.push_back(L"base size"); }
  void OnClose() { m_calls.push_back(L"base close"); }
  void OnSysCommand(UINT nID, LPARAM lParam) {  // mapped by the derived class only
    m_calls.push_back(L"syscommand " + std::to_wstring(nID) + L"," + std::to_wstring(lParam));
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBasePage, CPropertyPage)
  ON_WM_SIZE()
  ON_WM_CLOSE()
END_MESSAGE_MAP()

class CTestPage : public CBasePage {
 public:
  CListCtrl m_list;
  CTreeCtrl m_tree;
  CStatic m_missing;
  CImageList m_images;
  int m_inits = 0;
  bool m_boundInInit = false;
  bool m_paintWithDc = false;

  BOOL OnInitDialog() override {
    CPropertyPage::OnInitDialog();
    ++m_inits;
    m_boundInInit = m_list.GetSafeHwnd() != nullptr;
    return TRUE;
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_LIST, m_list);
    DDX_Control(pDX, IDC_TREE, m_tree);
    DDX_Control(pDX, 4321, m_missing);  // no such control
  }
  void OnSize(UINT nType, int cx, int cy) {
    m_calls.push_back(L"size " + std::to_wstring(nType) + L" " + std::to_wstring(cx) + L"x" + std::to_wstring(cy));
  }
  void OnPaint() {
    m_calls.push_back(L"paint");
    if (!m_paintWithDc) return CDialog::OnPaint();
    CPaintDC dc(this);
    EXPECT_TRUE(dc.DrawIcon(0, 0, StockIcon()));
  }
  HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(0x1234); }
  void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
    m_calls.push_back(L"dblclk " + std::to_wstring(pNMHDR->idFrom));
    *pResult = 7;
  }
  void OnTreeSelChanged(NMHDR*, LRESULT*) {
    m_calls.push_back(m_tree.GetItemText(m_tree.GetSelectedItem()).GetString());
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

BEGIN_MESSAGE_MAP(CTestPage, CBasePage)
  ON_WM_SIZE()
  ON_WM_PAINT()
  ON_WM_SYSCOMMAND()  // names the base's handler
  ON_WM_QUERYDRAGICON()
  ON_NOTIFY(NM_DBLCLK, IDC_LIST, &CTestPage::OnListDblClk)
  ON_NOTIFY(TVN_SELCHANGED, IDC_TREE, &CTestPage::OnTreeSelChanged)
  ON_COMMAND(kCommandId, &CTestPage::OnCommand42)
  ON_MESSAGE(WM_SETTEXT, &CTestPage::OnSetText)
END_MESSAGE_MAP()

class WindowTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    ASSERT_TRUE(CreatePage(m_page));
    m_page.m_calls.clear();
  }
  bool CreatePage(CTestPage& page) {
    CWnd host(Host());
    return page.Create(IDD_PAGE3, &host);
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, const void* lParam = nullptr) {
    return m_page.SendMessage(message, wParam, reinterpret_cast<LPARAM>(lParam));
  }

  CTestPage m_page;
};

TEST_F(WindowTest, CreateMakesOneHiddenChildThatBindsItsControlsOnceAndIgnoresOkAndCancel) {
  EXPECT_EQ(m_page.m_inits, 1);
  EXPECT_TRUE(m_page.m_boundInInit);
  EXPECT_FALSE(m_page.IsWindowVisible());
  EXPECT_EQ(::GetParent(m_page.m_hWnd), Host());
  EXPECT_FALSE(CreatePage(m_page));  // one window per object
  const HWND list = ::GetDlgItem(m_page.m_hWnd, IDC_LIST);
  EXPECT_EQ(m_page.m_list.m_hWnd, list);
  EXPECT_EQ(m_page.m_missing.m_hWnd, nullptr);
  EXPECT_TRUE(m_page.UpdateData(FALSE));  // binding again changes nothing
  EXPECT_EQ(m_page.m_list.m_hWnd, list);
  m_page.ShowWindow(SW_SHOW);
  for (UINT id : {IDOK, IDCANCEL}) Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED));
  PumpMessages(0);
  EXPECT_TRUE(m_page.IsWindowVisible());
  ASSERT_TRUE(m_page.DestroyWindow());
  EXPECT_EQ(m_page.m_hWnd, nullptr);
  EXPECT_EQ(m_page.m_list.m_hWnd, nullptr);
  ASSERT_TRUE(CreatePage(m_page));  // a new window binds its own controls
  EXPECT_EQ(m_page.m_list.m_hWnd, ::GetDlgItem(m_page.m_hWnd, IDC_LIST));
}

// Ends itself from its own message queue with the message it is given (a key goes to its OK button).
class CSelfEndingDialog : public CDialog {
 public:
  CSelfEndingDialog(UINT message, WPARAM wParam) : CDialog(IDD_ABOUTBOX), m_message(message), m_wParam(wParam) {}
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

TEST_F(WindowTest, ModalDialogsEndWithTheirCommandKeyOrCloseAndBelongToTheMainWindow) {
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

TEST_F(WindowTest, PagesComeAndGoWithoutLeaks) {
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

TEST_F(WindowTest, MostDerivedEntryWinsBaseEntriesApplyAndCrackersPassParameters) {
  Send(WM_SIZE, SIZE_MAXIMIZED, reinterpret_cast<void*>(MAKELPARAM(640, 480)));
  Send(WM_CLOSE);
  Send(WM_SYSCOMMAND, 16, reinterpret_cast<void*>(77));
  const NMHDR notices[] = {
      {nullptr, IDC_LIST, NM_DBLCLK}, {nullptr, IDC_TREE, NM_DBLCLK}, {nullptr, IDC_LIST, NM_CLICK}};
  for (const NMHDR& notice : notices) EXPECT_EQ(Send(WM_NOTIFY, notice.idFrom, &notice), &notice == notices ? 7 : 0);
  // Menu, accelerator and button click are commands; a control's other notices and other ids are not.
  const std::tuple<UINT, UINT, HWND> commands[] = {{kCommandId, 0, nullptr},
                                                   {kCommandId, 1, nullptr},
                                                   {kCommandId, BN_CLICKED, Host()},
                                                   {kCommandId, EN_CHANGE, Host()},
                                                   {kCommandId + 1, 0, nullptr}};
  for (const auto& [id, code, control] : commands) Send(WM_COMMAND, MAKEWPARAM(id, code), control);
  EXPECT_EQ(m_page.m_calls, (Calls{L"size 2 640x480", L"base close", L"syscommand 16,77", L"dblclk 1001", L"command",
                                   L"command", L"command"}));
  EXPECT_EQ(Send(WM_QUERYDRAGICON), 0x1234);
  Send(DM_SETDEFID, 1234);  // unmapped: the dialog manager's handling
  EXPECT_EQ(LOWORD(Send(DM_GETDEFID)), 1234);
}

TEST_F(WindowTest, DefaultPassesOnTheMessageBeingHandledAndPaintingValidates) {
  EXPECT_TRUE(Send(WM_SETTEXT, 0, L"outer"));  // the handler's result
  CString text;
  m_page.GetWindowText(text);
  EXPECT_EQ(text, L"outer");
  EXPECT_EQ(m_page.Default(), 0);  // outside any message there is nothing to pass on
  m_page.ShowWindow(SW_SHOW);
  for (bool withDc : {false, true}) {
    m_page.m_paintWithDc = withDc;
    m_page.m_calls.clear();
    ::InvalidateRect(m_page.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_page.m_hWnd);
    EXPECT_EQ(m_page.m_calls, Calls{L"paint"});
    EXPECT_FALSE(::GetUpdateRect(m_page.m_hWnd, nullptr, FALSE));  // no endless stream of WM_PAINT
  }
}

TEST_F(WindowTest, ListAndTreeKeepTextsOfAnyLengthAndNoticeEachNewSelectionOnce) {
  const std::wstring longText(700, L'n');
  CListCtrl& list = m_page.m_list;
  EXPECT_EQ(list.InsertColumn(0, L"映像名称", LVCFMT_LEFT, 120), 0);
  EXPECT_EQ(list.InsertColumn(1, L"Path", LVCFMT_LEFT, 100), 1);
  EXPECT_EQ(list.GetColumnWidth(0), 120);
  EXPECT_EQ(list.InsertItem(0, L"explorer.exe", 3), 0);
  EXPECT_TRUE(list.SetItemText(0, 1, longText.c_str()));
  EXPECT_EQ(list.GetItemText(0, 1), longText.c_str());
  EXPECT_EQ(list.GetItemText(7, 0), L"");
  EXPECT_TRUE(list.SetItemData(0, 0x123456789ABCULL));
  EXPECT_EQ(list.GetItemData(0), 0x123456789ABCULL);
  EXPECT_EQ(list.GetItemText(0, 0), L"explorer.exe");  // setting the data keeps the text and the image
  LVITEMW item = {};
  item.mask = LVIF_IMAGE;
  ASSERT_TRUE(list.GetItem(&item));
  EXPECT_EQ(item.iImage, 3);

  CTreeCtrl& tree = m_page.m_tree;
  HTREEITEM root = tree.InsertItem(L"\\", 0, 1, TVI_ROOT, TVI_LAST);
  HTREEITEM b = tree.InsertItem(L"Device", 0, 1, root, TVI_SORT);
  HTREEITEM a = tree.InsertItem(L"BaseNamedObjects", 0, 1, root, TVI_SORT);
  EXPECT_EQ(tree.GetChildItem(root), a);  // sorted
  EXPECT_EQ(tree.GetItemText(tree.InsertItem(longText.c_str(), 0, 1, b, TVI_SORT)), longText.c_str());
  EXPECT_EQ(tree.GetItemText(nullptr), L"");
  EXPECT_TRUE(tree.SelectItem(b));  // the notice arrives before this returns
  EXPECT_TRUE(tree.SelectItem(b));  // already selected: no notice
  EXPECT_EQ(m_page.m_calls, Calls{L"Device"});
  EXPECT_TRUE(tree.DeleteAllItems());
  EXPECT_EQ(tree.GetCount(), 0u);
}

TEST_F(WindowTest, ImageListIsSharedAndOutlivesTheControlsThatShowIt) {
  CImageList& images = m_page.m_images;
  EXPECT_EQ(images.Add(StockIcon()), -1);  // no list yet
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  EXPECT_FALSE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  m_page.m_tree.SetImageList(&images, TVSIL_NORMAL);
  m_page.m_list.SetImageList(&images, LVSIL_SMALL);
  EXPECT_EQ(m_page.m_list.GetImageList(LVSIL_SMALL), images.GetSafeHandle());
  ASSERT_TRUE(m_page.DestroyWindow());  // list and tree go with the page
  EXPECT_EQ(images.Add(StockIcon()), 0);
  EXPECT_EQ(images.GetImageCount(), 1);
}

}  // namespace
