// The kernel modules page: the modules Wine reports, show/hide without leaks,
// and a fake answer whose entries would lead past their fields and the answer.
#include <cstring>

#include "tests/processes/ProcessPageFixture.h"
#include "views/processes/CPage1.h"

namespace {

using Page1Test = PageFixture<CPage1, IDD_PAGE1>;

TEST_F(Page1Test, ModulesTheSystemReportsWithoutLeaks) {
  m_page.ShowWindow(SW_SHOW);
  ASSERT_GT(m_page.m_list.GetItemCount(), 0);
  for (int row = 0; row < m_page.m_list.GetItemCount(); ++row) {
    const CString name = Cell(row, 1), path = Cell(row, 4);
    EXPECT_FALSE(name.IsEmpty());
    EXPECT_EQ(path.Mid(path.GetLength() - name.GetLength()), name);
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

// A path that fills its field without a NUL, with a name offset past it; a
// bare name at the last backslash. The count claims far more entries than the
// 4096-byte answer holds.
NTSTATUS NTAPI FakeModules(ULONG infoClass, PVOID buffer, ULONG size, PULONG returned) {
  if (infoClass != 11) return kStatusNotImplemented;
  BYTE* base = static_cast<BYTE*>(buffer);
  std::memset(base, 'A', size);
  const uint32_t count = 100000;
  const uint16_t pastThePath = 300, atTheName = 16;
  std::memcpy(base, &count, 4);
  std::memcpy(base + 8 + 38, &pastThePath, 2);
  std::memcpy(base + 8 + 296 + 38, &atTheName, 2);
  std::memcpy(base + 8 + 296 + 40, "\\SystemRoot\\drv\\x.sys", 22);
  *returned = size;
  return kStatusSuccess;
}

TEST_F(Page1Test, OddEntriesStayInsideTheirFieldsAndTheAnswer) {
  ScopedSlotOverride query(g_NativeApi.NtQuerySystemInformation, &FakeModules);
  m_page.ShowWindow(SW_SHOW);
  EXPECT_EQ(m_page.m_list.GetItemCount(), 13);  // the entries wholly inside the answer
  ExpectRows(m_page.m_list, {{L"   0", L"", L"*", L"*", CString(std::string(256, 'A').c_str())},
                             {L"   1", L"x.sys", L"*", L"*", L"\\SystemRoot\\drv\\x.sys"}});
}

}  // namespace
