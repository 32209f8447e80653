// The grow-and-retry queries: fake routines script what the system cannot be
// made to answer, the real routines check the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

// One scripted answer of a fake query routine; the last one repeats.
struct Answer {
  NTSTATUS status;
  bool writesLength;
  ULONG length;
};
constexpr Answer Mismatch(ULONG length) { return {kStatusInfoLengthMismatch, true, length}; }
constexpr Answer kMismatchWithoutLength = {kStatusInfoLengthMismatch, false, 0};
constexpr Answer kSuccess = {kStatusSuccess, true, 16};

struct QueryLog {
  std::vector<Answer> answers;
  std::vector<ULONG> sizes;          // the buffer size of each call
  std::vector<ULONG> lengthOnEntry;  // the returned-length variable as each call found it
  std::vector<ULONG_PTR> arguments;  // handle (if any) and class of each call
  int refuseAllocation = -1;         // index of the allocation to refuse
  int allocationCalls = 0;
  int allocations = 0;
  int releases = 0;
};
QueryLog g_log;
PFN_NtAllocateVirtualMemory g_realAlloc;
PFN_NtFreeVirtualMemory g_realFree;

// On success: the call number, then 0xEE up to byte 16. On failure: 0xCC over
// everything, so an answer from a discarded buffer shows.
NTSTATUS RunScript(PVOID buffer, ULONG size, PULONG returnLength) {
  const size_t call = g_log.sizes.size();
  g_log.sizes.push_back(size);
  g_log.lengthOnEntry.push_back(*returnLength);
  const Answer& answer = g_log.answers[std::min(call, g_log.answers.size() - 1)];
  if (answer.writesLength) *returnLength = answer.length;
  const bool success = NtSuccess(answer.status);
  std::memset(buffer, success ? 0xEE : 0xCC, success ? std::min<ULONG>(size, 16) : size);
  if (success && size >= 4) *static_cast<ULONG*>(buffer) = static_cast<ULONG>(call + 1);
  return answer.status;
}

NTSTATUS NTAPI FakeSystem(ULONG infoClass, PVOID buffer, ULONG size, PULONG returnLength) {
  g_log.arguments.push_back(infoClass);
  return RunScript(buffer, size, returnLength);
}

NTSTATUS NTAPI FakeWithHandle(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG size, PULONG returnLength) {
  g_log.arguments.insert(g_log.arguments.end(), {reinterpret_cast<ULONG_PTR>(handle), infoClass});
  return RunScript(buffer, size, returnLength);
}

NTSTATUS NTAPI CountingAlloc(HANDLE process, PVOID* base, ULONG_PTR zeroBits, PSIZE_T size, ULONG type, ULONG protect) {
  if (g_log.allocationCalls++ == g_log.refuseAllocation) return static_cast<NTSTATUS>(0xC0000017);  // no memory
  const NTSTATUS status = g_realAlloc(process, base, zeroBits, size, type, protect);
  if (NtSuccess(status)) ++g_log.allocations;
  return status;
}

NTSTATUS NTAPI CountingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  const NTSTATUS status = g_realFree(process, base, size, type);
  if (NtSuccess(status)) ++g_log.releases;
  return status;
}

class QueryWithFakesTest : public ::testing::Test {
 protected:
  // Before any fixture exists, so the overrides below save the real routines.
  static void SetUpTestSuite() { EnsureNativeApiBound(); }

  void SetUp() override {
    g_realAlloc = m_alloc.Saved();
    g_realFree = m_free.Saved();
    FreeNativeBuffer(AllocNativeBuffer(4096));  // warm-up for the leak counts
    g_log = QueryLog();
    m_before = TakeLeakCounts();
  }
  void TearDown() override {
    EXPECT_EQ(g_log.allocations, g_log.releases) << "every buffer released";
    ExpectNoLeaks(m_before, TakeLeakCounts());
  }

  LeakCounts m_before = {};
  ScopedSlotOverride<PFN_NtAllocateVirtualMemory> m_alloc{g_NativeApi.NtAllocateVirtualMemory, &CountingAlloc};
  ScopedSlotOverride<PFN_NtFreeVirtualMemory> m_free{g_NativeApi.NtFreeVirtualMemory, &CountingFree};
  ScopedSlotOverride<PFN_NtQuerySystemInformation> m_system{g_NativeApi.NtQuerySystemInformation, &FakeSystem};
  ScopedSlotOverride<PFN_NtQueryObject> m_object{g_NativeApi.NtQueryObject, &FakeWithHandle};
  ScopedSlotOverride<PFN_NtQueryInformationProcess> m_process{g_NativeApi.NtQueryInformationProcess, &FakeWithHandle};
  ScopedSlotOverride<PFN_NtQueryInformationThread> m_thread{g_NativeApi.NtQueryInformationThread, &FakeWithHandle};
};

TEST_F(QueryWithFakesTest, OnlyALengthMismatchRetriesAndOnlyWithTheReportedLength) {
  std::vector<ULONG> endless(32, 100);  // 32 attempts, then it gives up
  endless[0] = 4096;
  const struct {
    const char* what;
    std::vector<Answer> answers;
    std::vector<ULONG> sizes;  // asked with, in order
    ULONG answerOfCall;        // the call whose answer comes back; 0: none
    int refuseAllocation;
  } cases[] = {
      {"growing snapshot",
       {Mismatch(5000), Mismatch(9000), kMismatchWithoutLength, kSuccess},
       {4096, 5000, 9000, 9000},
       4,
       -1},
      {"buffer overflow", {{kStatusBufferOverflow, true, 8192}}, {4096}, 0, -1},
      {"buffer too small", {{kStatusBufferTooSmall, true, 8192}}, {4096}, 0, -1},
      {"reported length 0", {Mismatch(0), kSuccess}, {4096}, 0, -1},
      {"never settles", {Mismatch(100)}, endless, 0, -1},
      {"a success other than 0", {{kStatusNotAllAssigned, true, 16}}, {4096}, 1, -1},
      {"no memory to grow", {Mismatch(5000), kSuccess}, {4096}, 0, 1},
  };
  for (const auto& c : cases) {
    g_log.answers = c.answers;
    g_log.sizes.clear();
    g_log.lengthOnEntry.clear();
    g_log.refuseAllocation = c.refuseAllocation;
    g_log.allocationCalls = 0;
    UniqueNativeBuffer result(QuerySystemInformation(57, 0));
    EXPECT_EQ(g_log.sizes, c.sizes) << c.what;
    for (size_t i = 0; i < g_log.sizes.size(); ++i) {
      EXPECT_EQ(g_log.lengthOnEntry[i], i == 0 ? 0 : g_log.sizes[i]) << c.what << ": set to 0 once, never reset";
    }
    if (c.answerOfCall == 0) {
      EXPECT_FALSE(result) << c.what;
      continue;
    }
    ASSERT_TRUE(result) << c.what;
    const ByteSpan bytes = SpanOfNativeBuffer(result.Get());
    EXPECT_EQ(bytes.U32(0), c.answerOfCall) << c.what;
    EXPECT_EQ(bytes.Size(), (c.sizes.back() + 4095) / 4096 * 4096) << c.what;
    EXPECT_TRUE(std::all_of(bytes.Data() + 16, bytes.Data() + bytes.Size(), [](BYTE b) { return b == 0; }))
        << c.what << ": zero to the end of the last page";
  }
}

TEST_F(QueryWithFakesTest, EachQueryAsksItsRoutineWithItsStartSize) {
  const HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
  g_log.answers = {kSuccess};
  UniqueNativeBuffer(QuerySystemInformation(57, 0));
  UniqueNativeBuffer(QuerySystemInformation(2, 312));
  UniqueNativeBuffer(QueryObjectInformation(handle, 2));
  UniqueNativeBuffer(QueryProcessInformation(handle, 27, 0));
  UniqueNativeBuffer(QueryThreadBasicInformation(handle));
  EXPECT_EQ(g_log.sizes, (std::vector<ULONG>{4096, 312, 4096, 4096, 48}));
  EXPECT_EQ(g_log.arguments, (std::vector<ULONG_PTR>{57, 2, 0x1234, 2, 0x1234, 27, 0x1234, 0}));
}

TEST(NativeQueryTest, RealRoutinesAnswerForThisProcess) {
  EnsureNativeApiBound();
  // The process snapshot outgrows its 4096-byte start and holds this process.
  UniqueNativeBuffer snapshot(QuerySystemInformation(57, 0));
  const ByteSpan records = SpanOfNativeBuffer(snapshot.Get());
  EXPECT_GT(records.Size(), 4096u);
  bool foundSelf = false;
  for (size_t offset = 0, next = 1; next != 0 && records.Contains(offset, 0x100); offset += next) {
    foundSelf |= records.Ptr(offset + 0x50) == GetCurrentProcessId();
    next = records.U32(offset);
  }
  EXPECT_TRUE(foundSelf);
  // Basic process information: the id at 0x20; basic thread information: the client id at 0x10.
  UniqueNativeBuffer process(QueryProcessInformation(NtCurrentProcessHandle(), 0, 48));
  EXPECT_EQ(SpanOfNativeBuffer(process.Get()).Ptr(0x20), GetCurrentProcessId());
  UniqueNativeBuffer thread(QueryThreadBasicInformation(GetCurrentThread()));
  EXPECT_EQ(SpanOfNativeBuffer(thread.Get()).Ptr(0x10), GetCurrentProcessId());
  EXPECT_EQ(SpanOfNativeBuffer(thread.Get()).Ptr(0x18), GetCurrentThreadId());
}

}  // namespace
