// The process list under Wine: rows of real children, the detail-view flow,
// and show/hide of the page and its detail tabs without leaks.
#include <lmcons.h>

#include "tests/processes/ProcessPageFixture.h"

namespace {

using Page0Test = ProcessPageFixture;

// Each header stands over its own cells: "#" leftmost, then the name, then
// the rest in index order. Compared on the screen positions, because an order
// array can read back right while the list still draws the old order.
TEST_F(Page0Test, HeadersStandOverTheirCells) {
  HWND header = m_page.m_list.GetHeaderCtrl().GetSafeHwnd();
  ASSERT_EQ(Header_GetItemCount(header), 18);
  m_page.ShowWindow(SW_SHOW);
  ASSERT_GT(m_page.m_list.GetItemCount(), 0);
  int previousLeft = -1;
  for (int column : {1, 0, 2, 3, 4, 17}) {
    RECT head{}, cell{};
    ASSERT_TRUE(Header_GetItemRect(header, column, &head));
    ASSERT_TRUE(ListView_GetSubItemRect(m_page.m_list.GetSafeHwnd(), 0, column, LVIR_LABEL, &cell));
    EXPECT_GT(head.left, previousLeft) << column;
    EXPECT_GE(cell.left, head.left) << column;
    EXPECT_LE(cell.right, head.right) << column;
    previousLeft = head.left;
  }
}

TEST_F(Page0Test, RowsOfRealChildrenAndTheirDetailView) {
  ChildProcess child64, child32;
  ASSERT_TRUE(child64.Start(false, L"--wait --threads 2 known command line text"));
  ASSERT_TRUE(child32.Start(true, L"--wait"));
  m_page.ShowWindow(SW_SHOW);
  const int rows = m_page.m_list.GetItemCount();
  EXPECT_EQ(m_page.m_imageList.GetImageCount(), rows);
  for (int row = 0; row < rows; ++row) EXPECT_EQ(_wtoi(Cell(row, 1)), row);
  wchar_t user[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(user, &size));
  CString pid, parent;
  pid.Format(L"%u", child64.Pid());
  parent.Format(L"%u", GetCurrentProcessId());
  const int row = FindRow(child64.Pid()), row32 = FindRow(child32.Pid());
  ASSERT_GE(row, 0);
  ASSERT_GE(row32, 0);
  const struct {
    int row, column;
    CString text;
  } cells[] = {
      {row, 0, L"helper64.exe"},
      {row, 2, pid},
      {row, 3, parent},
      {row, 4, child64.ImagePath().c_str()},
      {row, 7, L"64-bit"},
      {row, 8, L"3"},  // the main thread and two more
      {row, 10, user},
      {row, 12, child64.CommandLine().c_str()},
      {row32, 0, L"helper32.exe"},
      {row32, 4, child32.ImagePath().c_str()},
      {row32, 7, L"32-bit"},
  };
  for (const auto& c : cells) EXPECT_EQ(Cell(c.row, c.column), c.text) << c.row << "/" << c.column;
  for (int column : {5, 13}) EXPECT_EQ(Cell(row, column).GetLength(), 18) << column;  // 0x and 16 digits
  EXPECT_EQ(Cell(row, 17).GetLength(), 25);

  // Which of the list, the tab control and the three detail tabs are visible.
  const auto shown = [&] {
    CString text;
    for (HWND window : {m_page.m_list.GetSafeHwnd(), m_page.m_tab.GetSafeHwnd(), Tab(0).GetSafeHwnd(),
                        Tab(1).GetSafeHwnd(), Tab(2).GetSafeHwnd()})
      text += IsWindowVisible(window) ? L"+" : L"-";
    return text;
  };
  DoubleClick(-1);  // empty space below the rows
  EXPECT_EQ(shown(), CString(L"+----"));
  DoubleClick(row);
  wchar_t caption[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = caption;
  item.cchTextMax = 64;
  ASSERT_TRUE(m_page.m_tab.GetItem(3, &item));
  EXPECT_EQ(CString(caption), L"-->helper64.exe(" + pid + L")");
  EXPECT_EQ(item.lParam, static_cast<LPARAM>(child64.Pid()));
  EXPECT_EQ(shown(), CString(L"-++--"));
  SelectDetailTab(2);
  EXPECT_EQ(shown(), CString(L"-+--+"));
  // Switching the main tab away and back rebuilds the hidden list and keeps the detail view.
  m_page.ShowWindow(SW_HIDE);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(shown(), CString(L"-+--+"));
  const int rowsNow = m_page.m_list.GetItemCount();
  EXPECT_GT(rowsNow, 0);
  SelectDetailTab(3);
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 3);
  EXPECT_EQ(shown(), CString(L"+----"));
  EXPECT_EQ(m_page.m_list.GetItemCount(), rowsNow);  // not rebuilt

  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  EXPECT_EQ(m_page.m_imageList.GetImageCount(), 0);
}

// The page and each detail tab shown and hidden again and again, for a child
// whose handles include files (their name queries run on a bounded worker).
TEST_F(Page0Test, ShowingThePageAndItsDetailTabsLeaksNothing) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait --threads 2"));
  Open(child.Pid());
  const auto cycle = [&] {
    m_page.ShowWindow(SW_HIDE);
    m_page.ShowWindow(SW_SHOW);
    for (int item = 0; item < 3; ++item) {
      EXPECT_GT(Refill(item), 0) << item;
      Tab(item).ShowWindow(SW_HIDE);
      EXPECT_EQ(List(item).GetItemCount(), 0) << item;
    }
  };
  cycle();
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 30; ++i) cycle();
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
