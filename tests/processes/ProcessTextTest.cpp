// The process list's cell texts from exact inputs.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/processes/CStringPrinter.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/ProcessText.h"

namespace {

constexpr int64_t kMillisecond = 10000;
constexpr int64_t kSecond = 1000 * kMillisecond;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;

TEST(ProcessTextTest, PriorityClassNames) {
  const struct {
    int32_t priority;
    const wchar_t* name;
  } cases[] = {{24, L"Realtime"},     {31, L"Realtime"}, {23, L"High"},  {13, L"High"},        {12, L"Above Normal"},
               {10, L"Above Normal"}, {9, L"Normal"},    {8, L"Normal"}, {7, L"Below Normal"}, {6, L"Below Normal"},
               {5, L"Idle"},          {2, L"Idle"},      {-1, L"Idle"}};
  for (const auto& c : cases) EXPECT_EQ(CString(c.name), PriorityClassName(c.priority)) << c.priority;
}

TEST(ProcessTextTest, NumbersAndAddresses) {
  EXPECT_EQ(CString(L"   0"), RowNumberText(0));
  EXPECT_EQ(CString(L" 123"), RowNumberText(123));
  EXPECT_EQ(CString(L"12345"), RowNumberText(12345));
  EXPECT_EQ(CString(L"-7"), DecimalText(-7));
  EXPECT_EQ(CString(L"1234567890123"), Int64Text(1234567890123));
  EXPECT_EQ(CString(L"0x0000000000000000"), PointerText(0));
  EXPECT_EQ(CString(L"0x00007FFE0000ABCD"), PointerText(0x7FFE0000ABCDull));
  EXPECT_EQ(CString(L"-->explorer.exe(1234)"), DetailTabCaption(L"explorer.exe", L"1234"));
}

TEST(ProcessTextTest, MemoryInWholeKiB) {
  EXPECT_EQ(CString(L"2048/3072 K"), MemoryPairText(2 << 20, 3 << 20));
  EXPECT_EQ(CString(L"0/0 K"), MemoryPairText(1023, 0));
  EXPECT_EQ(CString(L"1/1 K"), MemoryPairText(2047, 1024));
  EXPECT_EQ(CString(L"17179869184/17179869184 K"), MemoryPairText(1ull << 44, 1ull << 44));
}

TEST(ProcessTextTest, ProcessorTimesCountHoursPastADay) {
  EnsureNativeApiBound();
  EXPECT_EQ(CString(L"01:02:03.456/00:00:00.000"),
            ProcessorTimesText(kHour + 2 * kMinute + 3 * kSecond + 456 * kMillisecond, 0));
  EXPECT_EQ(CString(L"23:59:59.999/25:03:00.000"),
            ProcessorTimesText(24 * kHour - kMillisecond, 25 * kHour + 3 * kMinute));
  EXPECT_EQ(CString(L"100:00:00.001/49:00:00.000"), ProcessorTimesText(100 * kHour + kMillisecond, 49 * kHour));
  EXPECT_EQ(CString(L"00:00:00.000/00:00:00.000"), ProcessorTimesText(-1, kMillisecond - 1));
}

TEST(ProcessTextTest, ImageNameTexts) {
  alignas(8) BYTE snapshot[0x120] = {};
  std::memcpy(snapshot + 0x100, L"svchost.exe", 22);
  const auto setName = [&](uint16_t length, const void* address) {
    std::memcpy(snapshot + 0x38, &length, 2);
    const uint64_t value = reinterpret_cast<uintptr_t>(address);
    std::memcpy(snapshot + 0x40, &value, 8);
    ProcessRecord record;
    ProcessRecordWalker(ByteSpan(snapshot, sizeof(snapshot))).Next(&record);
    return ProcessImageNameText(record);
  };
  EXPECT_EQ(CString(L"svchost.exe"), setName(22, snapshot + 0x100));
  EXPECT_EQ(CString(L"Idle"), setName(0, nullptr));
  EXPECT_EQ(CString(L"<UNKNOW>"), setName(22, snapshot + 0x110));
  EXPECT_EQ(CString(L"<UNKNOW>"), setName(2, nullptr));
}

}  // namespace
