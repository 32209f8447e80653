// The kernel modules page: the modules Wine reports, a fake snapshot with
// odd entries, and show/hide without leaks.
#include <windows.h>

#include <cstring>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/CPage1.h"

namespace {

class Page1Test : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
    CWnd host(Host());
    ASSERT_TRUE(m_page.Create(IDD_PAGE1, &host));
    host.Detach();
  }
  void TearDown() override {
    m_page.DestroyWindow();
    GuiFixture::TearDown();
  }
  CString Cell(int row, int column) { return m_page.m_list.GetItemText(row, column); }

  CPage1 m_page;
};

TEST_F(Page1Test, ModulesTheSystemReports) {
  EXPECT_EQ(m_page.m_list.GetHeaderCtrl().GetItemCount(), 6);
  EXPECT_EQ(m_page.m_list.GetExtendedStyle(), 0x10021u);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  m_page.ShowWindow(SW_SHOW);
  const int rows = m_page.m_list.GetItemCount();
  ASSERT_GT(rows, 0);
  EXPECT_EQ(Cell(0, 0), CString(L"   0"));
  for (int row = 0; row < rows; ++row) {
    const CString name = Cell(row, 1), path = Cell(row, 4);
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_EQ(path.Mid(path.GetLength() - name.GetLength()), name);
    EXPECT_EQ(Cell(row, 2).GetLength(), 18);
    EXPECT_EQ(Cell(row, 2).Left(2), CString(L"0x"));
  }
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
}

// Entries: a path that fills its field without a NUL and a name offset past
// it; a bare file name at the last backslash; offset 0. The count claims far
// more entries than the 4096-byte answer holds.
NTSTATUS NTAPI FakeModules(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass != 11) return static_cast<NTSTATUS>(0xC0000003);
  BYTE* base = static_cast<BYTE*>(buffer);
  const uint32_t count = 100000;
  std::memcpy(base, &count, 4);
  const auto put = [&](int index, uint64_t imageBase, uint32_t imageSize, uint16_t order, uint16_t offset,
                       const char* path, size_t pathBytes) {
    BYTE* entry = base + 8 + 296 * index;
    std::memcpy(entry + 16, &imageBase, 8);
    std::memcpy(entry + 24, &imageSize, 4);
    std::memcpy(entry + 32, &order, 2);
    std::memcpy(entry + 38, &offset, 2);
    std::memcpy(entry + 40, path, pathBytes);
  };
  char full[256];
  std::memset(full, 'A', sizeof(full));
  put(0, 0xFFFFF80000000000, 0x1F000, 0, 300, full, sizeof(full));
  put(1, 0x1234, 0, 26, 16, "\\SystemRoot\\drv\\x.sys", 22);
  put(2, 0, 1, 0xFFFF, 0, "\\??\\C:\\y.sys", 13);
  std::memset(base + 8 + 296 * 3 + 40, 'B', 296);  // spills into the next entry
  *returned = size;
  return 0;
}

TEST_F(Page1Test, OddEntriesStayInsideTheirFieldsAndTheAnswer) {
  ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FakeModules);
  m_page.ShowWindow(SW_SHOW);
  ASSERT_EQ(m_page.m_list.GetItemCount(), (4096 - 8) / 296);
  const CString expected[][6] = {
      {L"   0", L"", L"0xFFFFF80000000000", L"0x1f000", CString(std::string(256, 'A').c_str()), L"0x0"},
      {L"   1", L"x.sys", L"0x0000000000001234", L"0x0", L"\\SystemRoot\\drv\\x.sys", L"0x1a"},
      {L"   2", L"\\??\\C:\\y.sys", L"0x0000000000000000", L"0x1", L"\\??\\C:\\y.sys", L"0xffff"},
  };
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 6; ++column) EXPECT_EQ(Cell(row, column), expected[row][column]) << row;
  EXPECT_EQ(Cell(3, 4).GetLength(), 256);
}

NTSTATUS NTAPI FailingQuery(ULONG, PVOID, ULONG, PULONG) { return static_cast<NTSTATUS>(0xC0000022); }

TEST_F(Page1Test, FailedSnapshotLeavesTheListEmptyAndNothingLeaks) {
  {
    ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FailingQuery);
    m_page.ShowWindow(SW_SHOW);
    EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
    m_page.ShowWindow(SW_HIDE);
  }
  m_page.ShowWindow(SW_SHOW);
  m_page.ShowWindow(SW_HIDE);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.ShowWindow(SW_SHOW);
    m_page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
