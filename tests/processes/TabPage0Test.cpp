// The modules tab inside the process page: rows of a child that maps a file,
// the hand-over of the process id through tab item 3, and show/hide leaks.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include <gtest/gtest.h>

#include "readers/MappedImages.h"
#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/CPage0.h"
#include "views/processes/ModuleText.h"

namespace {

TEST(ModuleTextTest, CellsOfARecord) {
  EXPECT_EQ(CString(L"0x0"), HexText(0));
  EXPECT_EQ(CString(L"0x7FFE0000ABCD"), HexText(0x7FFE0000ABCDull));
  EXPECT_EQ(CString(L"a.dll"), FileNameOfPath(L"a.dll"));
  EXPECT_EQ(CString(L""), FileNameOfPath(L"C:\\dir\\"));

  MappedImageRecord record{0x140000000, 0xFFFFF000, L"\\??\\C:\\windows\\system32\\ntdll.dll"};
  const ModuleRowTexts texts = MakeModuleRowTexts(7, record);
  EXPECT_EQ(CString(L"   7"), texts.number);
  EXPECT_EQ(CString(L"ntdll.dll"), texts.name);
  EXPECT_EQ(CString(L"0x140000000"), texts.base);
  EXPECT_EQ(CString(L"0xFFFFF000"), texts.size);
  EXPECT_EQ(CString(L"C:\\windows\\system32\\ntdll.dll"), texts.path);
}

class TabPage0Test : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_PAGE0, &host));
    host.Detach();
    m_page.MoveWindow(0, 0, m_host->ClientWidth(), m_host->ClientHeight(), TRUE);
  }
  void TearDown() override {
    m_page.DestroyWindow();
    GuiFixture::TearDown();
  }

  // Opens the detail view of `pid` as a double-click on its row does.
  void OpenDetailView(DWORD pid) {
    m_page.ShowWindow(SW_SHOW);
    NMITEMACTIVATE activate{};
    activate.hdr = {m_page.m_list.GetSafeHwnd(), IDC_LIST, static_cast<UINT>(NM_DBLCLK)};
    activate.iItem = -1;
    for (int row = 0; row < m_page.m_list.GetItemCount(); ++row)
      if (m_page.m_list.GetItemData(row) == pid) activate.iItem = row;
    ASSERT_NE(-1, activate.iItem);
    m_page.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&activate));
  }
  void SelectDetailTab(int item) {
    m_page.m_tab.SetCurSel(item);
    NMHDR header{m_page.m_tab.GetSafeHwnd(), IDC_TAB, static_cast<UINT>(TCN_SELCHANGE)};
    m_page.SendMessage(WM_NOTIFY, IDC_TAB, reinterpret_cast<LPARAM>(&header));
  }
  CListCtrl& List() { return m_page.m_tabPage0.m_list; }
  CString Cell(int row, int column) { return List().GetItemText(row, column); }

  CPage0 m_page;
};

TEST_F(TabPage0Test, ModulesOfAChildThatMapsAFile) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"halvern_tab0_view.dat";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  const std::string bytes(0x100000, 'x');  // written, not sparse: it takes its whole size on disk
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  {
    ChildProcess child;
    ASSERT_TRUE(child.Start(false, L"--map \"" + path + L"\" --wait"));
    OpenDetailView(child.Pid());
    EXPECT_EQ(0x10021u, List().GetExtendedStyle());
    EXPECT_EQ(5, List().GetHeaderCtrl().GetItemCount());

    const int rows = List().GetItemCount();
    ASSERT_GT(rows, 3);
    int viewRow = -1;
    for (int row = 0; row < rows; ++row) {
      CString number;
      number.Format(L"%4d", row);
      EXPECT_EQ(Cell(row, 0), number);
      EXPECT_EQ(Cell(row, 1), FileNameOfPath(Cell(row, 4)));
      if (row > 0) {
        EXPECT_LT(wcstoull(Cell(row - 1, 2).Mid(2), nullptr, 16), wcstoull(Cell(row, 2).Mid(2), nullptr, 16));
      }
      if (lstrcmpiW(Cell(row, 4), path.c_str()) == 0) viewRow = row;
    }
    ASSERT_NE(-1, viewRow) << "no row for " << std::string(path.begin(), path.end());
    EXPECT_EQ(CString(L"0x100000"), Cell(viewRow, 3));
    EXPECT_EQ(CString(L"halvern_tab0_view.dat"), Cell(viewRow, 1));

    SelectDetailTab(1);
    EXPECT_EQ(0, List().GetItemCount());
    SelectDetailTab(0);
    EXPECT_EQ(rows, List().GetItemCount());
    SelectDetailTab(3);  // back to the process list: no tab item 3, no process
    m_page.m_tabPage0.ShowWindow(SW_SHOW);
    EXPECT_EQ(0, List().GetItemCount());
  }
  DeleteFileW(path.c_str());
}

TEST_F(TabPage0Test, ShowingAndHidingAHundredTimesLeaksNothing) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  OpenDetailView(child.Pid());
  const int rows = List().GetItemCount();
  ASSERT_GT(rows, 0);
  m_page.m_tabPage0.ShowWindow(SW_HIDE);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.m_tabPage0.ShowWindow(SW_SHOW);
    ASSERT_EQ(rows, List().GetItemCount());
    m_page.m_tabPage0.ShowWindow(SW_HIDE);
  }
  EXPECT_EQ(0, List().GetItemCount());
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
