// Dialogs, message maps and control holders on real windows, where they do more than send one message.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_LIST, m_list);
    DDX_Control(pDX, IDC_TREE, m_tree);
  }
  void OnCommand42() { ++m_commands; }
  CListCtrl m_list;
  CTreeCtrl m_tree;
  CImageList m_images;
  int m_commands = 0;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestPage, CPropertyPage)
  ON_WM_PAINT()
  ON_COMMAND(kCommandId, &CTestPage::OnCommand42)
END_MESSAGE_MAP()

using WindowTest = GuiFixture;

// Run twice: the second run leaves no handle or buffer behind.
TEST_F(WindowTest, APageBindsItsControlsDispatchesAndKeepsWhatItsControlsHoldWithoutLeaks) {
  const auto walk = [&] {
    CTestPage page;
    CWinApp app;
    app.m_pMainWnd = &page;
    CWnd host(Host());
    ASSERT_TRUE(page.Create(IDD_PAGE3, &host));
    page.ShowWindow(SW_SHOW);
    for (UINT id : {IDOK, IDCANCEL}) page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    PumpMessages(0);
    EXPECT_TRUE(page.IsWindowVisible());  // Enter and Esc do not end a page
    // Accelerator and button click are commands; a control's other notices are not.
    const std::tuple<UINT, HWND> commands[] = {{1, nullptr}, {BN_CLICKED, Host()}, {EN_CHANGE, Host()}};
    for (const auto& [code, control] : commands)
      page.SendMessage(WM_COMMAND, MAKEWPARAM(kCommandId, code), reinterpret_cast<LPARAM>(control));
    EXPECT_EQ(page.m_commands, 2);
    ::InvalidateRect(page.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(page.m_hWnd);
    EXPECT_FALSE(::GetUpdateRect(page.m_hWnd, nullptr, FALSE));  // no endless stream of WM_PAINT

    const std::wstring longText(700, L'n');
    page.m_list.InsertItem(0, longText.c_str(), 3);
    EXPECT_TRUE(page.m_list.SetItemData(0, 0x123456789ABCULL));
    EXPECT_EQ(page.m_list.GetItemData(0), 0x123456789ABCULL);
    EXPECT_EQ(page.m_list.GetItemText(0, 0), longText.c_str());  // of any length, kept when the data is set
    const HTREEITEM item = page.m_tree.InsertItem(longText.c_str(), 0, 1, TVI_ROOT, TVI_LAST);
    EXPECT_EQ(page.m_tree.GetItemText(item), longText.c_str());
    ASSERT_TRUE(page.m_images.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 1));
    page.m_tree.SetImageList(&page.m_images, TVSIL_NORMAL);
    page.m_list.SetImageList(&page.m_images, LVSIL_SMALL);

    ASSERT_TRUE(page.DestroyWindow());  // list and tree go with the page, the image list stays
    EXPECT_EQ(page.m_images.Add(::LoadIconW(nullptr, IDI_APPLICATION)), 0);
    EXPECT_EQ(page.m_list.m_hWnd, nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);  // forgotten when its window goes
  };
  walk();
  const LeakCounts before = TakeLeakCounts();
  walk();
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
