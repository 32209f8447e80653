// The process-snapshot walker, against the real snapshot and against
// hand-made records the system would never return.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "native/NativeOwners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/ProcessRecord.h"

namespace {

constexpr ULONG kSystemExtendedProcessInformation = 57;
// SYSTEM_THREAD_INFORMATION.ClientId.UniqueProcess within a thread entry.
constexpr size_t kThreadClientProcess = 0x28;

DWORD ToolhelpThreadCount(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  DWORD threads = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == pid) threads = entry.cntThreads;
  }
  CloseHandle(snapshot);
  return threads;
}

std::wstring NameOf(const ProcessRecord& record) {
  const WCHAR* text = nullptr;
  size_t length = 0;
  if (record.ImageName(&text, &length) != ProcessRecord::NameState::kText) return L"<not text>";
  return std::wstring(text, length);
}

TEST(ProcessRecordTest, RealSnapshotHoldsTheChildWithItsThreads) {
  EnsureNativeApiBound();
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--threads 3 --wait"));
  UniqueNativeBuffer snapshot(QuerySystemInformation(kSystemExtendedProcessInformation, 0));
  ASSERT_TRUE(snapshot);
  const ByteSpan span = SpanOfNativeBuffer(snapshot.Get());

  ProcessRecord record;
  ASSERT_TRUE(FindProcessRecord(span, child.Pid(), &record));
  EXPECT_EQ(L"helper64.exe", NameOf(record));
  EXPECT_EQ(GetCurrentProcessId(), record.InheritedFromUniqueProcessId());
  EXPECT_GE(record.NumberOfThreads(), 4u);
  EXPECT_EQ(ToolhelpThreadCount(child.Pid()), record.NumberOfThreads());
  ASSERT_EQ(record.NumberOfThreads(), record.ThreadEntryCount());
  for (uint32_t i = 0; i < record.ThreadEntryCount(); ++i) {
    EXPECT_EQ(child.Pid(), record.ThreadEntry(i).U64(kThreadClientProcess)) << i;
  }

  // Every record of the real snapshot has a readable name, and the walk ends.
  ProcessRecordWalker walker(span);
  int records = 0;
  bool sawSelf = false;
  while (walker.Next(&record)) {
    ++records;
    EXPECT_NE(L"<not text>", NameOf(record)) << records;
    sawSelf |= record.UniqueProcessId() == GetCurrentProcessId();
  }
  EXPECT_GE(records, 2);
  EXPECT_TRUE(sawSelf);
}

// Snapshot bytes laid out by hand, 8-byte aligned.
class HandSnapshot {
 public:
  explicit HandSnapshot(size_t size) : m_storage((size + 7) / 8), m_size(size) {}
  BYTE* Bytes() { return reinterpret_cast<BYTE*>(m_storage.data()); }
  ByteSpan Span() { return ByteSpan(Bytes(), m_size); }
  void Put16(size_t offset, uint16_t value) { std::memcpy(Bytes() + offset, &value, 2); }
  void Put32(size_t offset, uint32_t value) { std::memcpy(Bytes() + offset, &value, 4); }
  void Put64(size_t offset, uint64_t value) { std::memcpy(Bytes() + offset, &value, 8); }
  // A record at `offset` with the given chain link and process id.
  void Record(size_t offset, uint32_t next, uint64_t pid) {
    Put32(offset, next);
    Put64(offset + 0x50, pid);
  }
  // Points the record's ImageName at `textOffset` (or any address) with `length` bytes.
  void Name(size_t offset, uint16_t length, uint64_t address) {
    Put16(offset + 0x38, length);
    Put64(offset + 0x40, address);
  }
  uint64_t AddressOf(size_t offset) { return reinterpret_cast<uintptr_t>(Bytes() + offset); }

 private:
  std::vector<uint64_t> m_storage;
  size_t m_size;
};

std::vector<uint64_t> WalkIds(ByteSpan span) {
  std::vector<uint64_t> ids;
  ProcessRecordWalker walker(span);
  ProcessRecord record;
  while (walker.Next(&record)) ids.push_back(record.UniqueProcessId());
  return ids;
}

TEST(ProcessRecordTest, WalkStopsWhereTheChainLeavesTheSnapshot) {
  HandSnapshot snapshot(0x400);
  snapshot.Record(0, 0x100, 8);
  snapshot.Record(0x100, 0x180, 12);
  snapshot.Record(0x280, 0, 16);
  EXPECT_EQ((std::vector<uint64_t>{8, 12, 16}), WalkIds(snapshot.Span()));

  // A link past the end: the record is shown, the walk ends.
  snapshot.Record(0x100, 0x10000, 12);
  EXPECT_EQ((std::vector<uint64_t>{8, 12}), WalkIds(snapshot.Span()));
  // A record that starts inside but ends past the end of the snapshot.
  snapshot.Record(0x100, 0x280, 12);
  EXPECT_EQ((std::vector<uint64_t>{8, 12}), WalkIds(snapshot.Span()));
  // A link shorter than a record: that record is not shown.
  snapshot.Record(0x100, 0x8, 12);
  EXPECT_EQ((std::vector<uint64_t>{8}), WalkIds(snapshot.Span()));
  // Fewer bytes than one record: nothing.
  EXPECT_TRUE(WalkIds(snapshot.Span().Slice(0, 0xFF)).empty());
  EXPECT_TRUE(WalkIds(ByteSpan()).empty());
}

TEST(ProcessRecordTest, FieldsAtTheirOffsets) {
  HandSnapshot snapshot(0x100);
  snapshot.Put32(0x04, 7);
  snapshot.Put64(0x28, 0x1111111111);
  snapshot.Put64(0x30, 0x2222222222);
  snapshot.Put32(0x48, static_cast<uint32_t>(-3));
  snapshot.Put64(0x50, 0x123456789A);
  snapshot.Put64(0x58, 0x42);
  snapshot.Put32(0x60, 99);
  snapshot.Put32(0x64, 3);
  snapshot.Put32(0x80, 1234);
  snapshot.Put64(0x88, 0x3000);
  snapshot.Put64(0x90, 0x2000);
  snapshot.Put64(0xB8, 0x5000);
  snapshot.Put64(0xC0, 0x6000);
  ProcessRecord r;
  ASSERT_TRUE(ProcessRecordWalker(snapshot.Span()).Next(&r));
  EXPECT_EQ(7u, r.NumberOfThreads());
  EXPECT_EQ(0x1111111111, r.UserTime());
  EXPECT_EQ(0x2222222222, r.KernelTime());
  EXPECT_EQ(-3, r.BasePriority());
  EXPECT_EQ(0x123456789Au, r.UniqueProcessId());
  EXPECT_EQ(0x42u, r.InheritedFromUniqueProcessId());
  EXPECT_EQ(99u, r.HandleCount());
  EXPECT_EQ(3u, r.SessionId());
  EXPECT_EQ(1234u, r.PageFaultCount());
  EXPECT_EQ(0x3000u, r.PeakWorkingSetSize());
  EXPECT_EQ(0x2000u, r.WorkingSetSize());
  EXPECT_EQ(0x5000u, r.PagefileUsage());
  EXPECT_EQ(0x6000u, r.PeakPagefileUsage());
  // Seven threads claimed, none of which fits in the record.
  EXPECT_EQ(0u, r.ThreadEntryCount());
  EXPECT_TRUE(r.ThreadEntry(0).Empty());
}

TEST(ProcessRecordTest, ThreadEntriesStayInsideTheirRecord) {
  HandSnapshot snapshot(0x400);
  snapshot.Record(0, 0x100 + 2 * 0x88, 8);
  snapshot.Put32(0x04, 1000);
  snapshot.Put64(0x100 + 0x88 + kThreadClientProcess, 8);
  ProcessRecord r;
  ASSERT_TRUE(ProcessRecordWalker(snapshot.Span()).Next(&r));
  EXPECT_EQ(2u, r.ThreadEntryCount());
  EXPECT_EQ(kThreadEntrySize, r.ThreadEntry(1).Size());
  EXPECT_EQ(8u, r.ThreadEntry(1).U64(kThreadClientProcess));
  EXPECT_TRUE(r.ThreadEntry(2).Empty());
}

ProcessRecord::NameState NameStateOf(HandSnapshot& snapshot, std::wstring* text) {
  ProcessRecord r;
  if (!ProcessRecordWalker(snapshot.Span()).Next(&r)) return ProcessRecord::NameState::kUnreadable;
  const WCHAR* chars = nullptr;
  size_t length = 0;
  const ProcessRecord::NameState state = r.ImageName(&chars, &length);
  text->assign(chars ? chars : L"", length);
  return state;
}

TEST(ProcessRecordTest, ImageNameOnlyWhenItLiesInsideTheSnapshot) {
  using State = ProcessRecord::NameState;
  HandSnapshot snapshot(0x120);
  std::memcpy(snapshot.Bytes() + 0x100, L"name.exe", 16);
  std::wstring text;

  snapshot.Name(0, 16, snapshot.AddressOf(0x100));
  EXPECT_EQ(State::kText, NameStateOf(snapshot, &text));
  EXPECT_EQ(L"name.exe", text);
  snapshot.Name(0, 5, snapshot.AddressOf(0x100));  // whole characters only
  EXPECT_EQ(State::kText, NameStateOf(snapshot, &text));
  EXPECT_EQ(L"na", text);
  snapshot.Name(0, 0, 0);  // the idle process
  EXPECT_EQ(State::kEmpty, NameStateOf(snapshot, &text));
  EXPECT_EQ(L"", text);

  const uint64_t bad[] = {0, snapshot.AddressOf(0x101), snapshot.AddressOf(0) - 16, snapshot.AddressOf(0x120),
                          0xFFFFFFFFFFFFFFF0ull};
  for (uint64_t address : bad) {
    snapshot.Name(0, 16, address);
    EXPECT_EQ(State::kUnreadable, NameStateOf(snapshot, &text)) << std::hex << address;
  }
  // The text runs past the end of the snapshot.
  snapshot.Name(0, 0x22, snapshot.AddressOf(0x100));
  EXPECT_EQ(State::kUnreadable, NameStateOf(snapshot, &text));
}

}  // namespace
