// The kernel modules page: the modules Wine reports, a fake snapshot with odd
// entries, and show/hide without leaks.
#include <cstring>

#include "tests/processes/ProcessPageFixture.h"
#include "views/processes/CPage1.h"

namespace {

using Page1Test = PageFixture<CPage1, IDD_PAGE1>;

TEST_F(Page1Test, ModulesTheSystemReportsWithoutLeaks) {
  m_page.ShowWindow(SW_SHOW);
  const int rows = m_page.m_list.GetItemCount();
  ASSERT_GT(rows, 0);
  for (int row = 0; row < rows; ++row) {
    const CString name = Cell(row, 1), path = Cell(row, 4);
    EXPECT_EQ(_wtoi(Cell(row, 0)), row);
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_EQ(path.Mid(path.GetLength() - name.GetLength()), name);
    EXPECT_EQ(Cell(row, 2).GetLength(), 18);
  }
  m_page.ShowWindow(SW_HIDE);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    m_page.ShowWindow(SW_SHOW);
    m_page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

// Entries: a path that fills its field without a NUL and a name offset past
// it; a bare file name at the last backslash; offset 0; a path spilling into
// the next entry. The count claims far more entries than the answer holds.
NTSTATUS NTAPI FakeModules(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass != 11) return kStatusNotImplemented;
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
  const std::string full(256, 'A');
  put(0, 0xFFFFF80000000000, 0x1F000, 0, 300, full.data(), 256);
  put(1, 0x1234, 0, 26, 16, "\\SystemRoot\\drv\\x.sys", 22);
  put(2, 0, 1, 0xFFFF, 0, "\\??\\C:\\y.sys", 13);
  std::memset(base + 8 + 296 * 3 + 40, 'B', 296);
  *returned = size;
  return kStatusSuccess;
}

TEST_F(Page1Test, OddEntriesStayInsideTheirFieldsAndTheAnswer) {
  {
    ScopedSlotOverride failing(g_NativeApi.NtQuerySystemInformation,
                               [](ULONG, PVOID, ULONG, PULONG) -> NTSTATUS { return kStatusAccessDenied; });
    m_page.ShowWindow(SW_SHOW);
    EXPECT_EQ(m_page.m_list.GetItemCount(), 0);
    m_page.ShowWindow(SW_HIDE);
  }
  ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FakeModules);
  m_page.ShowWindow(SW_SHOW);
  // 13 entries fit in the first 4096-byte answer.
  ExpectRows(m_page.m_list,
             {{L"   0", L"", L"0xFFFFF80000000000", L"0x1f000", CString(std::string(256, 'A').c_str()), L"0x0"},
              {L"   1", L"x.sys", L"0x0000000000001234", L"0x0", L"\\SystemRoot\\drv\\x.sys", L"0x1a"},
              {L"   2", L"\\??\\C:\\y.sys", L"0x0000000000000000", L"0x1", L"\\??\\C:\\y.sys", L"0xffff"},
              {L"*", L"*", L"*", L"*", CString(std::string(256, 'B').c_str())},
              {},
              {},
              {},
              {},
              {},
              {},
              {},
              {},
              {}});
}

}  // namespace
