// The process-snapshot walker, against the real snapshot and against
// hand-made records the system would never return, and the cell texts.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "native/NativeOwners.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/ProcessText.h"

namespace {

constexpr size_t kThreadClientProcess = 0x28;  // ClientId.UniqueProcess within a thread entry

TEST(ProcessRecordTest, RealSnapshotHoldsTheChildWithItsThreadsAndEveryName) {
  EnsureNativeApiBound();
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--threads 3 --wait"));
  UniqueNativeBuffer snapshot(QuerySystemInformation(57, 0));
  const ByteSpan span = SpanOfNativeBuffer(snapshot.Get());
  ProcessRecord record;
  ASSERT_TRUE(FindProcessRecord(span, child.Pid(), &record));
  EXPECT_EQ(CString(L"helper64.exe"), ProcessImageNameText(record));
  EXPECT_GE(record.NumberOfThreads(), 4u) << "the main thread and three sleepers";
  ASSERT_EQ(record.NumberOfThreads(), record.ThreadEntryCount());
  for (uint32_t i = 0; i < record.ThreadEntryCount(); ++i) {
    EXPECT_EQ(child.Pid(), record.ThreadEntry(i).U64(kThreadClientProcess)) << i;
  }
  for (ProcessRecordWalker walker(span); walker.Next(&record);) {
    EXPECT_NE(CString(L"<UNKNOW>"), ProcessImageNameText(record)) << record.UniqueProcessId();
  }
}

// Snapshot bytes laid out by hand.
struct HandSnapshot {
  alignas(8) BYTE bytes[0x400] = {};
  size_t size = sizeof(bytes);  // of them, the snapshot
  ByteSpan Span() const { return ByteSpan(bytes, size); }
  uint64_t AddressOf(size_t offset) const { return reinterpret_cast<uintptr_t>(bytes + offset); }
  void Put(size_t offset, uint64_t value, size_t size) { std::memcpy(bytes + offset, &value, size); }
  // A record at `offset` with the given chain link and process id.
  void Record(size_t offset, uint32_t next, uint64_t pid) {
    Put(offset, next, 4);
    Put(offset + 0x50, pid, 8);
  }
  // The first record's image name text.
  CString FirstName(uint16_t length, uint64_t address) {
    Put(0x38, length, 2);
    Put(0x40, address, 8);
    ProcessRecord record;
    return ProcessRecordWalker(Span()).Next(&record) ? ProcessImageNameText(record) : CString();
  }
};

std::vector<uint64_t> WalkIds(ByteSpan span) {
  std::vector<uint64_t> ids;
  ProcessRecord record;
  for (ProcessRecordWalker walker(span); walker.Next(&record);) ids.push_back(record.UniqueProcessId());
  return ids;
}

TEST(ProcessRecordTest, WalkAndThreadEntriesStayInsideTheSnapshot) {
  HandSnapshot snapshot;
  snapshot.Record(0, 0x100, 8);
  snapshot.Record(0x280, 0, 16);
  const struct {
    uint32_t link;  // of the second record, at 0x100
    std::vector<uint64_t> ids;
  } cases[] = {
      {0x180, {8, 12, 16}},  // a well-formed chain
      {0x10000, {8, 12}},    // past the end: the record is shown, the walk ends
      {0x280, {8, 12}},      // the next record starts inside but ends outside
      {0x8, {8}},            // shorter than a record: not shown
  };
  for (const auto& c : cases) {
    snapshot.Record(0x100, c.link, 12);
    EXPECT_EQ(c.ids, WalkIds(snapshot.Span())) << std::hex << c.link;
  }
  EXPECT_TRUE(WalkIds(snapshot.Span().Slice(0, 0xFF)).empty());
  EXPECT_TRUE(WalkIds(ByteSpan()).empty());

  // Of 1000 threads claimed, the two entries that fit before the next record.
  snapshot.Record(0, kProcessRecordSize + 2 * kThreadEntrySize, 8);
  snapshot.Put(0x04, 1000, 4);
  snapshot.Put(kProcessRecordSize + kThreadEntrySize + kThreadClientProcess, 8, 8);
  ProcessRecord record;
  ASSERT_TRUE(ProcessRecordWalker(snapshot.Span()).Next(&record));
  EXPECT_EQ(2u, record.ThreadEntryCount());
  EXPECT_EQ(8u, record.ThreadEntry(1).U64(kThreadClientProcess));
  EXPECT_TRUE(record.ThreadEntry(2).Empty());
}

TEST(ProcessRecordTest, ImageNameOnlyWhenItLiesInsideTheSnapshot) {
  HandSnapshot snapshot;
  snapshot.size = 0x120;
  std::memcpy(snapshot.bytes + 0x100, L"name.exe", 16);
  EXPECT_EQ(CString(L"name.exe"), snapshot.FirstName(16, snapshot.AddressOf(0x100)));
  EXPECT_EQ(CString(L"na"), snapshot.FirstName(5, snapshot.AddressOf(0x100)));  // whole characters only
  EXPECT_EQ(CString(L"Idle"), snapshot.FirstName(0, 0));
  const uint64_t outside[] = {0, snapshot.AddressOf(0x101), snapshot.AddressOf(0) - 16, snapshot.AddressOf(0x120),
                              0xFFFFFFFFFFFFFFF0ull};
  for (uint64_t address : outside) {
    EXPECT_EQ(CString(L"<UNKNOW>"), snapshot.FirstName(16, address)) << std::hex << address;
  }
  EXPECT_EQ(CString(L"<UNKNOW>"), snapshot.FirstName(0x22, snapshot.AddressOf(0x100))) << "runs past the end";
}

constexpr int64_t kMillisecond = 10000;  // in 100 ns units
constexpr int64_t kMinute = 60000 * kMillisecond, kHour = 60 * kMinute;

TEST(ProcessTextTest, PriorityClassesChangeAtTheirThresholds) {
  const std::pair<int32_t, LPCWSTR> cases[] = {{24, L"Realtime"},     {23, L"High"},         {13, L"High"},
                                               {12, L"Above Normal"}, {10, L"Above Normal"}, {9, L"Normal"},
                                               {8, L"Normal"},        {7, L"Below Normal"},  {6, L"Below Normal"},
                                               {5, L"Idle"},          {-1, L"Idle"}};
  for (const auto& [priority, name] : cases) EXPECT_EQ(CString(name), PriorityClassName(priority)) << priority;
}

TEST(ProcessTextTest, RowsMemoryAndProcessorTimes) {
  EnsureNativeApiBound();
  EXPECT_EQ(CString(L"   0"), RowNumberText(0));
  EXPECT_EQ(CString(L" 123"), RowNumberText(123));
  EXPECT_EQ(CString(L"12345"), RowNumberText(12345));
  EXPECT_EQ(CString(L"2048/3072 K"), MemoryPairText(2 << 20, 3 << 20));
  EXPECT_EQ(CString(L"0/1 K"), MemoryPairText(1023, 2047));
  EXPECT_EQ(CString(L"01:02:03.456/00:00:00.000"), ProcessorTimesText(kHour + 2 * kMinute + 3456 * kMillisecond, 0));
  EXPECT_EQ(CString(L"23:59:59.999/25:03:00.000"),
            ProcessorTimesText(24 * kHour - kMillisecond, 25 * kHour + 3 * kMinute));
}

}  // namespace
