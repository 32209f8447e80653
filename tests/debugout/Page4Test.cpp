// The debug-output page in-process under Wine: messages from real 64- and
// 32-bit producers, floods, channel objects that exist already or cannot be
// opened, and the stop during a flood.
#include <windows.h>
#include <sddl.h>

#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/Producers.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/debugout/CPage4.h"

namespace {

std::wstring Alphabet(size_t length) {
  std::wstring text;
  while (text.size() < length) text += L"abcdefghijklmnopqrstuvwxyz";
  return text.substr(0, length);
}

// "[hh:mm:ss.mmm] s.ssssssss", where 0 stands for any digit.
bool IsTimeCell(const CString& text) {
  const wchar_t pattern[] = L"[00:00:00.000] 0.00000000";
  if (text.GetLength() != static_cast<int>(wcslen(pattern))) return false;
  for (int i = 0; pattern[i]; ++i)
    if (pattern[i] == L'0' ? !iswdigit(text.GetAt(i)) : text.GetAt(i) != pattern[i]) return false;
  return true;
}

bool HasNullDacl(HANDLE object) {
  BYTE descriptor[1024];
  DWORD needed = 0;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = reinterpret_cast<PACL>(1);
  return GetKernelObjectSecurity(object, DACL_SECURITY_INFORMATION, descriptor, sizeof(descriptor), &needed) &&
         GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present && dacl == nullptr;
}

ACCESS_MASK GrantedAccess(HANDLE handle) {
  ULONG basic[14] = {};  // OBJECT_BASIC_INFORMATION: attributes, then the granted access
  return g_NativeApi.NtQueryObject(handle, 0, basic, sizeof(basic), nullptr) >= 0 ? basic[1] : 0;
}

class Page4Test : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    EnsureNativeApiBound();
  }
  void TearDown() override {
    m_page.reset();
    GuiFixture::TearDown();
  }
  void CreatePage() {
    m_page = std::make_unique<CPage4>();
    CWnd host(Host());
    ASSERT_TRUE(m_page->Create(IDD_PAGE4, &host));
    host.Detach();
  }
  int Rows() const { return m_page->m_list.GetItemCount(); }
  bool PumpUntilListed(Producers& producers, int lines) {
    return producers.PumpUntilEndedAndListed([&] { return m_page->m_nLine >= lines; });
  }
  CString Cell(int row, int column) const { return m_page->m_list.GetItemText(row, column); }
  bool HoldsNothing() const {
    return !m_page->m_hThread && !m_page->m_hDBWinMutex && !m_page->m_hDBWinBuffer && !m_page->m_pDBWinBuffer &&
           !m_page->m_hBufferReady && !m_page->m_hDataReady;
  }
  // Every row numbered by its index; each producer's texts "0", "1", ... in order, `expected` of them.
  void ExpectCountedRows(const std::map<DWORD, int>& expected) {
    std::map<DWORD, int> next;
    for (int row = 0; row < Rows(); ++row) {
      ASSERT_EQ(Cell(row, 0), CString(std::to_wstring(row).c_str()));
      DWORD pid = 0;
      int number = -1;
      ASSERT_EQ(swscanf(Cell(row, 2).GetString(), L"[%lu] %d", &pid, &number), 2) << row;
      ASSERT_EQ(number, next[pid]++) << "row " << row << ", pid " << pid;
    }
    for (const auto& [pid, count] : expected) EXPECT_EQ(next[pid], count) << pid;
  }

  std::unique_ptr<CPage4> m_page;
};

TEST_F(Page4Test, ListsEachMessageOnceInOrderFrom64And32BitProducers) {
  CreatePage();
  ASSERT_TRUE(m_page->m_hThread);
  EXPECT_EQ(m_page->m_list.GetExtendedStyle(), static_cast<DWORD>(LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT));
  ChannelHandle mutex;
  mutex.Reset(OpenMutexW(READ_CONTROL, FALSE, L"DBWinMutex"));
  EXPECT_TRUE(HasNullDacl(mutex.Get()));

  Producers first, second;
  const DWORD pid64 =
      first.Start(false, L"--debug first --debug \"two\r\nlines \r\n\" --debug \"\" --debug-length 4091");
  ASSERT_TRUE(PumpUntilListed(first, 4));
  const DWORD pid32 = second.Start(true, L"--debug \"from 32\"");
  ASSERT_TRUE(PumpUntilListed(second, 5));

  const struct {
    DWORD pid;
    std::wstring text;
  } rows[] = {
      {pid64, L"first"}, {pid64, L"two\r\nlines \r\n"}, {pid64, L""}, {pid64, Alphabet(4091)}, {pid32, L"from 32"}};
  ASSERT_EQ(Rows(), 5);
  double previous = 0;
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(Cell(row, 0), CString(std::to_wstring(row).c_str()));
    EXPECT_EQ(Cell(row, 2), CString((L"[" + std::to_wstring(rows[row].pid) + L"] " + rows[row].text).c_str()));
    const CString time = Cell(row, 1);
    EXPECT_TRUE(IsTimeCell(time)) << row;
    const double seconds = wcstod(time.GetString() + 15, nullptr);
    EXPECT_GE(seconds, previous) << row;
    previous = seconds;
  }
}

TEST_F(Page4Test, FloodsLoseNothingAndKeepEachProducersOrder) {
  CreatePage();
  Producers one;
  const DWORD pid = one.Start(false, L"--debug-count 5000");
  ASSERT_TRUE(PumpUntilListed(one, 5000));
  ExpectCountedRows({{pid, 5000}});

  m_page.reset();
  CreatePage();
  Producers two;
  const DWORD pidA = two.Start(false, L"--debug-count 2500");
  const DWORD pidB = two.Start(true, L"--debug-count 2500");
  ASSERT_TRUE(PumpUntilListed(two, 5000));
  ExpectCountedRows({{pidA, 2500}, {pidB, 2500}});
}

TEST_F(Page4Test, OpensExistingObjectsAndGivesTheMutexANullDacl) {
  PSECURITY_DESCRIPTOR everyone = nullptr;
  ASSERT_TRUE(
      ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;WD)", SDDL_REVISION_1, &everyone, nullptr));
  SECURITY_ATTRIBUTES sa{sizeof(sa), everyone, FALSE};
  ChannelHandle mutex, mapping, bufferReady, dataReady;
  mutex.Reset(CreateMutexW(&sa, FALSE, L"DBWinMutex"));
  ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  LocalFree(everyone);
  ASSERT_FALSE(HasNullDacl(mutex.Get()));
  mapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER"));
  bufferReady.Reset(CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY"));
  dataReady.Reset(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));

  CreatePage();
  ASSERT_TRUE(m_page->m_hThread);
  EXPECT_TRUE(HasNullDacl(mutex.Get()));
  EXPECT_EQ(GrantedAccess(m_page->m_hBufferReady.Get()), static_cast<ACCESS_MASK>(EVENT_ALL_ACCESS));
  EXPECT_EQ(GrantedAccess(m_page->m_hDataReady.Get()), static_cast<ACCESS_MASK>(SYNCHRONIZE));
  Producers producer;
  const DWORD pid = producer.Start(false, L"--debug-count 1");
  ASSERT_TRUE(PumpUntilListed(producer, 1));
  ExpectCountedRows({{pid, 1}});
}

TEST_F(Page4Test, FailedStartHoldsNothingAndListsNothing) {
  CreatePage();  // warm-up, so that the counts below see only what a start leaves
  m_page.reset();
  for (const wchar_t* name : {L"DBWinMutex", L"DBWIN_BUFFER", L"DBWIN_BUFFER_READY", L"DBWIN_DATA_READY"}) {
    SCOPED_TRACE(testing::Message() << "taken by another type: " << CString(name));
    // A name taken by an object of another type cannot be opened as the channel's.
    ChannelHandle squatter;
    squatter.Reset(wcscmp(name, L"DBWinMutex") == 0 ? CreateEventW(nullptr, TRUE, FALSE, name)
                                                    : CreateMutexW(nullptr, FALSE, name));
    ASSERT_TRUE(squatter);
    const LeakCounts before = TakeLeakCounts();
    CreatePage();
    EXPECT_TRUE(HoldsNothing());
    EXPECT_EQ(m_page->m_list.GetHeaderCtrl().GetItemCount(), 3);
    m_page.reset();
    ExpectNoLeaks(before, TakeLeakCounts());
  }
}

TEST_F(Page4Test, StopDuringAFloodEndsTheThreadAndLeaksNothing) {
  CreatePage();  // warm-up
  m_page.reset();
  for (bool closeFirst : {true, false}) {
    SCOPED_TRACE(closeFirst ? "WM_CLOSE, then the destructor" : "window destroyed, then the destructor");
    const LeakCounts before = TakeLeakCounts();
    {
      CreatePage();
      Producers flood;
      flood.Start(false, L"--debug-count 1000000");
      ASSERT_TRUE(PumpMessagesUntil([this] { return Rows() >= 200; }, kPumpTimeoutMs));
      if (closeFirst) {
        m_page->SendMessage(WM_CLOSE);
        EXPECT_TRUE(HoldsNothing());
        const int rows = Rows();
        PumpMessages(100);
        m_page->StopCapture();
        EXPECT_EQ(Rows(), rows);
      } else {
        m_page->DestroyWindow();
      }
      m_page.reset();
    }
    ExpectNoLeaks(before, TakeLeakCounts());
  }
}

}  // namespace
