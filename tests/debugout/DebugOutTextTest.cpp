// The cell texts of the debug-output list, fed exact inputs.
#include <string>

#include <gtest/gtest.h>

#include "tests/support/CStringPrinter.h"
#include "views/debugout/DebugOutText.h"

namespace {

TEST(DebugOutText, TimeColumnInSinglePrecision) {
  const struct {
    LONGLONG counts;
    LONGLONG frequency;
    SYSTEMTIME time;
    const wchar_t* expected;
  } cases[] = {
      {12345678, 10000000, {2026, 1, 0, 1, 9, 5, 3, 7}, L"[09:05:03.007] 1.23456776"},  // not 1.23456780
      {15000000, 10000000, {2026, 1, 0, 1, 9, 5, 3, 7}, L"[09:05:03.007] 1.50000000"},
      {0, 10000000, {2026, 12, 0, 31, 23, 59, 59, 999}, L"[23:59:59.999] 0.00000000"},
      {123456789012, 10000000, {}, L"[00:00:00.000] 12345.67871094"},  // wider than ten places
  };
  for (const auto& c : cases)
    EXPECT_EQ(CaptureTimeText(c.time, ElapsedSeconds(c.counts, c.frequency)), CString(c.expected));
}

TEST(DebugOutText, NumberAndDebugPrint) {
  EXPECT_EQ(MessageNumberText(0), CString(L"0"));
  EXPECT_EQ(MessageNumberText(20000), CString(L"20000"));

  BYTE buffer[kDBWinBufferSize];
  const DWORD pid = 1234;
  memcpy(buffer, &pid, sizeof(pid));
  memcpy(buffer + 4, "abc\r\n \0junk", 12);
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, sizeof(buffer))), CString(L"[1234] abc\r\n "));
  buffer[4] = 0;
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, sizeof(buffer))), CString(L"[1234] "));
  // No NUL anywhere after the id: the text ends with the buffer.
  memset(buffer + 4, 'x', sizeof(buffer) - 4);
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, sizeof(buffer))),
            CString(L"[1234] ") + CString(std::wstring(4092, L'x').c_str()));
  // Only the id, or less than that.
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, 4)), CString(L"[1234] "));
  EXPECT_EQ(DebugPrintText(ByteSpan(buffer, 2)), CString(L"[0] "));
}

}  // namespace
