// The process-snapshot walker against records the system would never return.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "native/NativeOwners.h"
#include "tests/support/CStringPrinter.h"
#include "views/processes/ProcessText.h"

namespace {

// Snapshot bytes laid out by hand.
struct HandSnapshot {
  alignas(8) BYTE bytes[0x400] = {};
  ByteSpan Span(size_t size = 0x400) const { return ByteSpan(bytes, size); }
  uint64_t AddressOf(size_t offset) const { return reinterpret_cast<uintptr_t>(bytes + offset); }
  void Put(size_t offset, uint64_t value, size_t size) { std::memcpy(bytes + offset, &value, size); }
  void Record(size_t offset, uint32_t next, uint64_t pid) {
    Put(offset, next, 4);
    Put(offset + 0x50, pid, 8);
  }
  std::vector<uint64_t> WalkIds(size_t size = 0x400) const {
    std::vector<uint64_t> ids;
    ProcessRecord record;
    for (ProcessRecordWalker walker(Span(size)); walker.Next(&record);) ids.push_back(record.UniqueProcessId());
    return ids;
  }
  // The first record's image name text, with the snapshot cut at 0x120.
  CString FirstName(uint16_t length, uint64_t address) {
    Put(0x38, length, 2);
    Put(0x40, address, 8);
    ProcessRecord record;
    return ProcessRecordWalker(Span(0x120)).Next(&record) ? ProcessImageNameText(record) : CString();
  }
};

TEST(ProcessRecordTest, WalkThreadsAndNamesStayInsideTheSnapshot) {
  HandSnapshot snapshot;
  snapshot.Record(0, 0x100, 8);
  snapshot.Record(0x280, 0, 16);
  const std::pair<uint32_t, std::vector<uint64_t>> cases[] = {
      {0x180, {8, 12, 16}},  // the second record's link: a well-formed chain
      {0x280, {8, 12}},      // the next record starts inside but ends outside
      {0x8, {8}},            // shorter than a record: not shown
  };
  for (const auto& [link, ids] : cases) {
    snapshot.Record(0x100, link, 12);
    EXPECT_EQ(snapshot.WalkIds(), ids) << std::hex << link;
  }
  EXPECT_TRUE(snapshot.WalkIds(0xFF).empty());

  // Of 1000 threads claimed, the two entries that fit before the next record.
  snapshot.Record(0, kProcessRecordSize + 2 * kThreadEntrySize, 8);
  snapshot.Put(0x04, 1000, 4);
  ProcessRecord record;
  ASSERT_TRUE(ProcessRecordWalker(snapshot.Span()).Next(&record));
  EXPECT_EQ(record.ThreadEntryCount(), 2u);
  EXPECT_TRUE(record.ThreadEntry(2).Empty());

  std::memcpy(snapshot.bytes + 0x100, L"name.exe", 16);
  EXPECT_EQ(snapshot.FirstName(16, snapshot.AddressOf(0x100)), CString(L"name.exe"));
  EXPECT_EQ(snapshot.FirstName(5, snapshot.AddressOf(0x100)), CString(L"na"));  // whole characters only
  for (uint64_t address : {snapshot.AddressOf(0x101), snapshot.AddressOf(0) - 16, 0xFFFFFFFFFFFFFFF0ull})
    EXPECT_EQ(snapshot.FirstName(16, address), CString(L"<UNKNOW>")) << std::hex << address;
  EXPECT_EQ(snapshot.FirstName(0x22, snapshot.AddressOf(0x100)), CString(L"<UNKNOW>"));  // runs past the end
}

}  // namespace
