// Control holders on real controls: list view, header, tab, tree, image
// list ownership, system menu and parent holders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Framework.h"
#include "tests/framework/CStringPrinter.h"
#include "tests/framework/TestResources.h"
#include "tests/support/GuiFixture.h"

namespace {

HICON StockIcon() { return ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)); }

class CControlsPage : public CPropertyPage {
 public:
  CControlsPage() : CPropertyPage(IDD_TEST_PAGE) {}

  CListCtrl m_list;
  CListCtrl m_sorted;
  CTabCtrl m_tab;
  CTreeCtrl m_tree;
  CImageList m_imageList;
  std::vector<std::wstring> m_events;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_TEST_LIST, m_list);
    DDX_Control(pDX, IDC_TEST_SORTED_LIST, m_sorted);
    DDX_Control(pDX, IDC_TEST_TAB, m_tab);
    DDX_Control(pDX, IDC_TEST_TREE, m_tree);
  }
  void OnTreeSelChanged(NMHDR*, LRESULT* pResult) {
    m_events.push_back(L"selchanged " + std::wstring(m_tree.GetItemText(m_tree.GetSelectedItem()).GetString()));
    *pResult = 0;
  }
  void OnTabSelChange(NMHDR*, LRESULT*) { m_events.push_back(L"tab selchange"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsPage, CPropertyPage)
  ON_NOTIFY(TVN_SELCHANGED, IDC_TEST_TREE, &CControlsPage::OnTreeSelChanged)
  ON_NOTIFY(TCN_SELCHANGE, IDC_TEST_TAB, &CControlsPage::OnTabSelChange)
END_MESSAGE_MAP()

class ControlsTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_TEST_PAGE, &host));
    m_page.ShowWindow(SW_SHOW);
  }

  CControlsPage m_page;
};

TEST_F(ControlsTest, ListColumnsAndDisplayOrder) {
  CListCtrl& list = m_page.m_list;
  EXPECT_EQ(list.InsertColumn(1, L"#", LVCFMT_CENTER, 30), 0);  // no column yet: lands at 0
  EXPECT_EQ(list.InsertColumn(0, L"映像名称", LVCFMT_LEFT, 120), 0);
  EXPECT_EQ(list.InsertColumn(2, L"进程ID", LVCFMT_LEFT, 50), 2);
  EXPECT_EQ(list.GetColumnWidth(1), 30);
  EXPECT_EQ(list.GetColumnWidth(0), 120);

  CHeaderCtrl header = list.GetHeaderCtrl();
  ASSERT_NE(header.GetSafeHwnd(), nullptr);
  ASSERT_EQ(header.GetItemCount(), 3);
  int order[3] = {};
  ASSERT_TRUE(header.GetOrderArray(order, 3));
  std::swap(order[0], order[1]);
  ASSERT_TRUE(header.SetOrderArray(3, order));
  int seen[3] = {};
  ASSERT_TRUE(list.SendMessage(LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(seen)));
  EXPECT_EQ(std::vector<int>(seen, seen + 3), (std::vector<int>{1, 0, 2}));

  EXPECT_TRUE(list.SetColumnWidth(0, 160));
  EXPECT_EQ(list.GetColumnWidth(0), 160);
  EXPECT_TRUE(list.DeleteColumn(2));
  EXPECT_EQ(header.GetItemCount(), 2);
}

TEST_F(ControlsTest, ListRowsTextsAndData) {
  CListCtrl& list = m_page.m_list;
  list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
  list.InsertColumn(1, L"Path", LVCFMT_LEFT, 100);
  EXPECT_EQ(list.InsertItem(0, L"System"), 0);
  EXPECT_EQ(list.InsertItem(1, L"explorer.exe", 3), 1);
  const std::wstring longPath = L"C:\\" + std::wstring(1500, L'p') + L"\\a.exe";
  EXPECT_TRUE(list.SetItemText(1, 1, longPath.c_str()));
  EXPECT_EQ(std::wstring(list.GetItemText(1, 1).GetString()), longPath);
  EXPECT_EQ(list.GetItemText(1, 0), L"explorer.exe");
  EXPECT_EQ(list.GetItemText(7, 0), L"");

  const DWORD_PTR pid = 0x123456789ABCULL;
  EXPECT_TRUE(list.SetItemData(1, pid));
  EXPECT_EQ(list.GetItemData(1), pid);
  EXPECT_EQ(list.GetItemText(1, 0), L"explorer.exe");  // setting the data keeps the text
  LVITEMW item = {};
  item.mask = LVIF_IMAGE;
  item.iItem = 1;
  ASSERT_TRUE(list.GetItem(&item));
  EXPECT_EQ(item.iImage, 3);
  EXPECT_TRUE(list.SetItem(1, 0, LVIF_IMAGE, nullptr, 9, 0, 0, 0));
  ASSERT_TRUE(list.GetItem(&item));
  EXPECT_EQ(item.iImage, 9);

  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_TRUE(list.EnsureVisible(1, FALSE));
  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.GetItemCount(), 1);
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ControlsTest, ListExtendedStyleIsSetExactly) {
  CListCtrl& list = m_page.m_list;
  list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP);
  list.SetExtendedStyle(0x10023);
  EXPECT_EQ(list.GetExtendedStyle(), 0x10023u);
}

TEST_F(ControlsTest, SortedListReportsWhereARowWent) {
  CListCtrl& sorted = m_page.m_sorted;
  sorted.InsertColumn(0, L"Name", LVCFMT_LEFT, 100);
  EXPECT_EQ(sorted.InsertItem(0, L"b"), 0);
  EXPECT_EQ(sorted.InsertItem(1, L"a"), 0);
  EXPECT_EQ(sorted.InsertItem(LVIF_TEXT | LVIF_IMAGE, 2, L"0", 0, 0, 14, 0), 0);
  EXPECT_EQ(sorted.GetItemText(2, 0), L"b");
}

TEST_F(ControlsTest, TabItemsCarryASixtyFourBitParameter) {
  CTabCtrl& tab = m_page.m_tab;
  EXPECT_EQ(tab.InsertItem(0, L"模块"), 0);
  EXPECT_EQ(tab.InsertItem(1, L"线程"), 1);
  EXPECT_EQ(tab.InsertItem(2, L"句柄"), 2);
  EXPECT_EQ(tab.InsertItem(3, L"-->explorer.exe(1234)"), 3);
  TCITEMW item = {};
  item.mask = TCIF_PARAM;
  item.lParam = static_cast<LPARAM>(0x100000004D2LL);
  EXPECT_TRUE(tab.SetItem(3, &item));

  TCITEMW read = {};
  read.mask = TCIF_PARAM;
  EXPECT_TRUE(tab.GetItem(3, &read));
  EXPECT_EQ(read.lParam, static_cast<LPARAM>(0x100000004D2LL));

  EXPECT_EQ(tab.GetCurSel(), 0);
  EXPECT_EQ(tab.SetCurSel(2), 0);
  EXPECT_EQ(tab.GetCurSel(), 2);
  EXPECT_TRUE(m_page.m_events.empty());  // selecting by message notifies nobody
  EXPECT_TRUE(tab.DeleteItem(3));
  EXPECT_EQ(tab.GetItemCount(), 3);
  TCITEMW gone = {};
  gone.mask = TCIF_PARAM;
  EXPECT_FALSE(tab.GetItem(3, &gone));
}

TEST_F(ControlsTest, TreeInsertNavigateAndSelect) {
  CTreeCtrl& tree = m_page.m_tree;
  HTREEITEM root =
      tree.InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, L"\\", 0, 1, 0, 0, 0, TVI_ROOT, TVI_LAST);
  ASSERT_NE(root, nullptr);
  HTREEITEM b = tree.InsertItem(L"Device", 0, 1, root, TVI_SORT);
  HTREEITEM a = tree.InsertItem(L"BaseNamedObjects", 0, 1, root, TVI_SORT);
  const std::wstring longName(700, L'n');
  HTREEITEM deep = tree.InsertItem(longName.c_str(), 0, 1, b, TVI_SORT);
  EXPECT_EQ(tree.GetCount(), 4u);
  EXPECT_EQ(tree.GetRootItem(), root);
  EXPECT_EQ(tree.GetChildItem(root), a);  // sorted
  EXPECT_EQ(tree.GetNextSiblingItem(a), b);
  EXPECT_EQ(tree.GetNextSiblingItem(b), nullptr);
  EXPECT_EQ(tree.GetParentItem(deep), b);
  EXPECT_EQ(std::wstring(tree.GetItemText(deep).GetString()), longName);
  EXPECT_EQ(tree.GetItemText(nullptr), L"");
  EXPECT_TRUE(tree.Expand(root, TVE_EXPAND));

  EXPECT_TRUE(tree.SelectItem(b));  // the notification arrives before this returns
  EXPECT_EQ(m_page.m_events, (std::vector<std::wstring>{L"selchanged Device"}));
  EXPECT_TRUE(tree.SelectItem(b));  // already selected: nothing
  EXPECT_EQ(m_page.m_events.size(), 1u);
  EXPECT_EQ(tree.GetSelectedItem(), b);
  EXPECT_TRUE(tree.DeleteAllItems());
  EXPECT_EQ(tree.GetCount(), 0u);
}

TEST_F(ControlsTest, ImageListAddsCopiesAndEmpties) {
  CImageList& images = m_page.m_imageList;
  EXPECT_EQ(images.Add(StockIcon()), -1);  // no list yet
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  EXPECT_FALSE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(images.Add(StockIcon()), i);
  EXPECT_EQ(images.GetImageCount(), 6);
  EXPECT_TRUE(images.Remove(-1));
  EXPECT_EQ(images.GetImageCount(), 0);
}

TEST_F(ControlsTest, ImageListOutlivesTheControlsThatShowIt) {
  CImageList& images = m_page.m_imageList;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 16, 1));
  HIMAGELIST handle = images.GetSafeHandle();
  EXPECT_EQ(m_page.m_tree.SetImageList(&images, TVSIL_NORMAL), nullptr);
  EXPECT_EQ(m_page.m_list.SetImageList(&images, LVSIL_SMALL), nullptr);
  EXPECT_EQ(m_page.m_list.GetImageList(LVSIL_SMALL), handle);
  EXPECT_NE(::GetWindowLongW(m_page.m_list.m_hWnd, GWL_STYLE) & LVS_SHAREIMAGELISTS, 0);

  ASSERT_TRUE(m_page.DestroyWindow());  // list and tree go with the page
  EXPECT_EQ(images.Add(StockIcon()), 0);
  EXPECT_EQ(::ImageList_GetImageCount(handle), 1);
  EXPECT_TRUE(images.DeleteImageList());
  EXPECT_EQ(images.GetSafeHandle(), nullptr);
}

TEST_F(ControlsTest, SystemMenuAndParentHolders) {
  CWnd host(Host());
  CMenu menu = host.GetSystemMenu(FALSE);
  ASSERT_NE(menu.GetSafeHmenu(), nullptr);
  const int before = menu.GetMenuItemCount();
  EXPECT_TRUE(menu.AppendMenu(MF_SEPARATOR));
  EXPECT_TRUE(menu.AppendMenu(MF_STRING, 0x0010, L"关于 Test(&A)..."));
  EXPECT_EQ(menu.GetMenuItemCount(), before + 2);
  EXPECT_EQ(::GetMenuItemID(menu, before + 1), 0x0010u);
  host.GetSystemMenu(TRUE);

  EXPECT_EQ(m_page.m_list.GetParent().m_hWnd, m_page.m_hWnd);
  EXPECT_EQ(m_page.m_list.GetParent().GetParent().m_hWnd, Host());
  EXPECT_EQ(CWnd(nullptr).GetParent().m_hWnd, nullptr);
  EXPECT_EQ(CWnd(nullptr).GetSystemMenu(FALSE).GetSafeHmenu(), nullptr);
}

TEST_F(ControlsTest, WindowHolderCalls) {
  CListCtrl& list = m_page.m_list;
  list.MoveWindow(5, 6, 200, 100, TRUE);
  RECT client = {};
  list.GetClientRect(&client);
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  RECT window = {};
  list.GetWindowRect(&window);
  EXPECT_EQ(window.right - window.left, 200);
  EXPECT_EQ(window.bottom - window.top, 100);
  EXPECT_TRUE(list.IsWindowVisible());
  list.ShowWindow(SW_HIDE);
  EXPECT_FALSE(list.IsWindowVisible());

  CEdit edit(::GetDlgItem(m_page.m_hWnd, IDC_TEST_EDIT));
  edit.SetWindowText(L"OS\r\n中文");
  CString text;
  edit.GetWindowText(text);
  EXPECT_EQ(text, L"OS\r\n中文");
  EXPECT_EQ(edit.Detach(), ::GetDlgItem(m_page.m_hWnd, IDC_TEST_EDIT));
  EXPECT_EQ(edit.GetSafeHwnd(), nullptr);
}

}  // namespace
