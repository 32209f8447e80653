// The cell texts from exact inputs, then the page with real producers under Wine.
#include <windows.h>

#include <regex>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/Producers.h"
#include "views/debugout/CPage4.h"
#include "views/debugout/DebugOutText.h"

namespace {

TEST(DebugOutText, SinglePrecisionSecondsAndTextsThatStayInTheBuffer) {
  EXPECT_EQ(CaptureTimeText({2026, 1, 0, 1, 9, 5, 3, 7}, ElapsedSeconds(12345678, 10000000)),
            CString(L"[09:05:03.007] 1.23456776"));  // not 1.23456780
  BYTE buffer[kDBWinBufferSize];
  const DWORD pid = 1234;
  memcpy(buffer, &pid, sizeof(pid));
  memcpy(buffer + 4, "abc\r\n \0junk", 12);
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, sizeof(buffer))), CString(L"[1234] abc\r\n "));
  memset(buffer + 4, 'x', sizeof(buffer) - 4);  // no NUL after the id: the text ends with the buffer
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, sizeof(buffer))), CString((L"[1234] " + std::wstring(4092, L'x')).c_str()));
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, 2)), CString(L"[0] "));  // not even the id
}

class Page4Test : public GuiFixture {
 protected:
  void CreatePage() {
    m_page = std::make_unique<CPage4>();
    CWnd host(Host());
    ASSERT_TRUE(m_page->Create(IDD_PAGE4, &host));
    host.Detach();
  }
  int Rows() const { return m_page->m_list.GetItemCount(); }
  std::wstring Cell(int row, int column) const { return m_page->m_list.GetItemText(row, column).GetString(); }
  bool HoldsNothing() const {
    return !m_page->m_hThread && !m_page->m_hDBWinMutex && !m_page->m_hDBWinBuffer && !m_page->m_pDBWinBuffer &&
           !m_page->m_hBufferReady && !m_page->m_hDataReady;
  }
  std::unique_ptr<CPage4> m_page;
};

TEST_F(Page4Test, ListsEachMessageOnceInOrderFrom64And32BitProducers) {
  CreatePage();
  Producers producers;
  const DWORD pidA = producers.Start(false, L"--debug-count 2000"), pidB = producers.Start(true, L"--debug-count 2000");
  ASSERT_TRUE(producers.PumpUntilEndedAndListed([&] { return m_page->m_nLine >= 4000; }));
  // Each producer's texts "0", "1", ... in order, every row numbered by its index.
  const std::wregex time(L"\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] \\d+\\.\\d{8}");
  std::map<int, int> next;
  for (int row = 0; row < Rows(); ++row) {
    ASSERT_EQ(Cell(row, 0), std::to_wstring(row));
    ASSERT_TRUE(std::regex_match(Cell(row, 1), time)) << row;
    int from = 0, number = -1;
    ASSERT_TRUE(swscanf(Cell(row, 2).c_str(), L"[%d] %d", &from, &number) == 2 && number == next[from]++) << row;
  }
  EXPECT_EQ(next, (std::map<int, int>{{int(pidA), 2000}, {int(pidB), 2000}}));
}

TEST_F(Page4Test, FailedStartAndStopDuringAFloodLeaveNothingHeld) {
  CreatePage();  // warm-up, so that the counts below see only what a start leaves
  m_page.reset();
  for (const wchar_t* name : {L"DBWinMutex", L"DBWIN_DATA_READY"}) {  // the first step and the last
    // A name taken by an object of another type cannot be opened as the channel's.
    ChannelHandle squatter;
    squatter.Reset(CreateSemaphoreW(nullptr, 0, 1, name));
    const LeakCounts before = TakeLeakCounts();
    CreatePage();
    EXPECT_TRUE(HoldsNothing());
    m_page.reset();
    ExpectNoLeaks(before, TakeLeakCounts());
  }

  const LeakCounts before = TakeLeakCounts();
  {
    CreatePage();
    Producers flood;
    flood.Start(false, L"--debug-count 1000000");
    ASSERT_TRUE(PumpMessagesUntil([this] { return Rows() >= 200; }, kPumpTimeoutMs));
    m_page->SendMessage(WM_CLOSE);
    EXPECT_TRUE(HoldsNothing());
    const int rows = Rows();
    PumpMessages(100);
    m_page->StopCapture();  // a second stop finds nothing to do
    EXPECT_EQ(Rows(), rows);
    m_page.reset();
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
