// The process list under Wine: its headers, rows of real children, the
// detail-view flow, show/hide without leaks.
#include <lmcons.h>

#include "tests/processes/ProcessPageFixture.h"

namespace {

using Page0Test = ProcessPageFixture;

// "#" leftmost, then the name, then the rest in index order. Compared on the
// screen, because an order array can read back right while the list still
// draws the old order.
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

// Rows of real children, the way into a detail view and back, and the page
// and each detail tab shown and hidden again and again without leaks (the
// child's handles include files, whose name queries run on a bounded worker).
TEST_F(Page0Test, RowsOfRealChildrenTheirDetailViewAndNoLeaks) {
  ChildProcess child64, child32;
  ASSERT_TRUE(child64.Start(false, L"--wait --threads 2 known command line text"));
  ASSERT_TRUE(child32.Start(true, L"--wait"));
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_imageList.GetImageCount(), m_page.m_list.GetItemCount());
  wchar_t user[UNLEN + 1] = {};
  DWORD size = UNLEN + 1;
  ASSERT_TRUE(GetUserNameW(user, &size));
  CString pid, parent;
  pid.Format(L"%u", child64.Pid());
  parent.Format(L"%u", GetCurrentProcessId());
  const int row = FindRow(child64.Pid()), row32 = FindRow(child32.Pid());
  ASSERT_TRUE(row >= 0 && row32 >= 0);
  // clang-format off
  const struct { int row, column; CString text; } cells[] = {
      {row, 0, L"helper64.exe"}, {row, 2, pid}, {row, 3, parent}, {row, 4, child64.ImagePath().c_str()},
      {row, 7, L"64-bit"}, {row, 8, L"3"}, {row, 10, user}, {row, 12, child64.CommandLine().c_str()},
      {row32, 4, child32.ImagePath().c_str()}, {row32, 7, L"32-bit"}};
  // clang-format on
  for (const auto& c : cells) EXPECT_EQ(Cell(c.row, c.column), c.text) << c.row << "/" << c.column;

  DoubleClick(row);
  wchar_t caption[64] = {};
  TCITEMW tab{TCIF_TEXT | TCIF_PARAM, 0, 0, caption, 64, 0, 0};
  ASSERT_TRUE(m_page.m_tab.GetItem(3, &tab));
  EXPECT_EQ(CString(caption), L"-->helper64.exe(" + pid + L")");
  EXPECT_EQ(tab.lParam, static_cast<LPARAM>(child64.Pid()));
  EXPECT_TRUE(!IsWindowVisible(m_page.m_list.GetSafeHwnd()) && IsWindowVisible(Tab(0).GetSafeHwnd()));
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
  EXPECT_FALSE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));  // the main tab away and back keeps the detail view
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 30; ++i) cycle();
  ExpectNoLeaks(before, TakeLeakCounts());

  SelectDetailTab(3);
  EXPECT_EQ(m_page.m_tab.GetItemCount(), 3);
  EXPECT_TRUE(IsWindowVisible(m_page.m_list.GetSafeHwnd()));
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  EXPECT_EQ(m_page.m_imageList.GetImageCount(), 0);
}

}  // namespace
