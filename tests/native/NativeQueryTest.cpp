// Native buffers and the grow-and-retry queries: fake routines script what
// the system cannot be made to answer, the real system checks the rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

struct QueryScript {
  std::vector<Answer> answers;
  std::vector<ULONG> sizesPassed;
  std::vector<ULONG> lengthOnEntry;  // the returned-length variable as each call found it
  std::vector<HANDLE> handlesPassed;
  std::vector<ULONG> classesPassed;
};
QueryScript g_script;

// Fills what it was given: 0xCC on a mismatch, on success the call number
// and then 0xEE up to byte 16 (less if the buffer is smaller).
NTSTATUS RunScript(PVOID buffer, ULONG size, PULONG returnLength) {
  const size_t call = g_script.sizesPassed.size();
  g_script.sizesPassed.push_back(size);
  g_script.lengthOnEntry.push_back(*returnLength);
  const Answer& answer = g_script.answers[std::min(call, g_script.answers.size() - 1)];
  if (answer.writesLength) *returnLength = answer.length;
  if (NtSuccess(answer.status)) {
    std::memset(buffer, 0xEE, std::min<ULONG>(size, 16));
    if (size >= 4) *static_cast<ULONG*>(buffer) = static_cast<ULONG>(call + 1);
  } else {
    std::memset(buffer, 0xCC, size);
  }
  return answer.status;
}

NTSTATUS NTAPI FakeSystem(ULONG infoClass, PVOID buffer, ULONG size, PULONG returnLength) {
  g_script.classesPassed.push_back(infoClass);
  return RunScript(buffer, size, returnLength);
}

NTSTATUS NTAPI FakeWithHandle(HANDLE handle, ULONG infoClass, PVOID buffer, ULONG size, PULONG returnLength) {
  g_script.handlesPassed.push_back(handle);
  g_script.classesPassed.push_back(infoClass);
  return RunScript(buffer, size, returnLength);
}

// Counts the real allocations and releases; can refuse one allocation.
struct MemoryLog {
  PFN_NtAllocateVirtualMemory realAlloc = nullptr;
  PFN_NtFreeVirtualMemory realFree = nullptr;
  int allocations = 0;
  int releases = 0;
  int refuseAllocation = -1;  // index of the allocation to refuse
  int allocationCalls = 0;
};
MemoryLog g_memory;

constexpr NTSTATUS kStatusNoMemory = static_cast<NTSTATUS>(0xC0000017);

NTSTATUS NTAPI CountingAlloc(HANDLE process, PVOID* base, ULONG_PTR zeroBits, PSIZE_T size, ULONG type, ULONG protect) {
  if (g_memory.allocationCalls++ == g_memory.refuseAllocation) return kStatusNoMemory;
  const NTSTATUS status = g_memory.realAlloc(process, base, zeroBits, size, type, protect);
  if (NtSuccess(status)) ++g_memory.allocations;
  return status;
}

NTSTATUS NTAPI CountingFree(HANDLE process, PVOID* base, PSIZE_T size, ULONG type) {
  const NTSTATUS status = g_memory.realFree(process, base, size, type);
  if (NtSuccess(status)) ++g_memory.releases;
  return status;
}

class QueryWithFakesTest : public ::testing::Test {
 protected:
  // Before any fixture exists, so the overrides below save the real routines.
  static void SetUpTestSuite() { EnsureNativeApiBound(); }

  void SetUp() override {
    g_memory = MemoryLog();
    g_memory.realAlloc = m_alloc.Saved();
    g_memory.realFree = m_free.Saved();
    FreeNativeBuffer(AllocNativeBuffer(4096));  // warm-up for the leak counts
    g_memory.allocations = g_memory.releases = g_memory.allocationCalls = 0;
    g_script = QueryScript();
    m_before = TakeLeakCounts();
  }
  void TearDown() override {
    EXPECT_EQ(g_memory.allocations, g_memory.releases) << "every buffer released";
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

constexpr Answer Mismatch(ULONG length) { return {kStatusInfoLengthMismatch, true, length}; }
constexpr Answer kMismatchWithoutLength = {kStatusInfoLengthMismatch, false, 0};
constexpr Answer kSuccess = {kStatusSuccess, true, 16};

ULONG FirstUlong(NativeBuffer buffer) {
  ULONG value = 0;
  std::memcpy(&value, buffer, sizeof(value));
  return value;
}

TEST_F(QueryWithFakesTest, SnapshotThatGrowsGetsTheLastAttemptsAnswer) {
  g_script.answers = {Mismatch(5000), Mismatch(9000), kSuccess};
  UniqueNativeBuffer result(QuerySystemInformation(57, 0));
  ASSERT_TRUE(result);
  EXPECT_EQ(FirstUlong(result.Get()), 3u) << "the third attempt's answer";
  EXPECT_EQ(g_script.sizesPassed, (std::vector<ULONG>{4096, 5000, 9000})) << "exactly the reported lengths";
  EXPECT_EQ(g_script.lengthOnEntry, (std::vector<ULONG>{0, 5000, 9000})) << "set to 0 once, never reset";
  EXPECT_EQ(g_memory.allocations, 3);
}

TEST_F(QueryWithFakesTest, MismatchWithoutANewLengthRetriesWithThePreviousOne) {
  g_script.answers = {Mismatch(6000), kMismatchWithoutLength, kSuccess};
  UniqueNativeBuffer result(QueryObjectInformation(nullptr, 3));
  ASSERT_TRUE(result);
  EXPECT_EQ(g_script.sizesPassed, (std::vector<ULONG>{4096, 6000, 6000}));
}

TEST_F(QueryWithFakesTest, EachQueryPassesItsArgumentsAndStartSize) {
  const HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
  g_script.answers = {kSuccess};
  UniqueNativeBuffer(QuerySystemInformation(57, 0));
  UniqueNativeBuffer(QuerySystemInformation(2, 312));
  UniqueNativeBuffer(QueryObjectInformation(handle, 2));
  UniqueNativeBuffer(QueryProcessInformation(handle, 27, 0));
  UniqueNativeBuffer(QueryProcessInformation(handle, 0, 48));
  UniqueNativeBuffer(QueryThreadBasicInformation(handle));
  EXPECT_EQ(g_script.sizesPassed, (std::vector<ULONG>{4096, 312, 4096, 4096, 48, 48}));
  EXPECT_EQ(g_script.classesPassed, (std::vector<ULONG>{57, 2, 2, 27, 0, 0}));
  EXPECT_EQ(g_script.handlesPassed, (std::vector<HANDLE>{handle, handle, handle, handle}));
  EXPECT_EQ(g_script.lengthOnEntry, (std::vector<ULONG>(6, 0)));
  EXPECT_EQ(g_memory.allocations, 6);
}

TEST_F(QueryWithFakesTest, OnlyLengthMismatchGrowsTheBuffer) {
  for (NTSTATUS failure :
       {kStatusBufferOverflow, kStatusBufferTooSmall, kStatusAccessDenied, kStatusInvalidParameter}) {
    g_script = QueryScript();
    g_script.answers = {{failure, true, 8192}};
    EXPECT_EQ(QuerySystemInformation(64, 0), nullptr) << std::hex << failure;
    EXPECT_EQ(QueryProcessInformation(nullptr, 0, 48), nullptr) << std::hex << failure;
    EXPECT_EQ(g_script.sizesPassed.size(), 2u) << "one attempt each";
  }
  // A success code that is not 0 still hands the answer over.
  g_script = QueryScript();
  g_script.answers = {{kStatusNotAllAssigned, true, 16}};
  UniqueNativeBuffer result(QueryThreadBasicInformation(nullptr));
  EXPECT_TRUE(result);
}

TEST_F(QueryWithFakesTest, ReportedLengthOfZeroGivesNothing) {
  g_script.answers = {Mismatch(0), kSuccess};
  EXPECT_EQ(QuerySystemInformation(64, 0), nullptr);
  EXPECT_EQ(g_script.sizesPassed.size(), 1u) << "no buffer of 0 bytes to ask with";
}

TEST_F(QueryWithFakesTest, GivesUpAfterThirtyTwoMismatches) {
  g_script.answers = {Mismatch(100)};
  EXPECT_EQ(QuerySystemInformation(57, 0), nullptr);
  EXPECT_EQ(g_script.sizesPassed.size(), 32u);
  EXPECT_EQ(g_memory.allocations, 32);
}

TEST_F(QueryWithFakesTest, FailedAllocationGivesNothing) {
  g_script.answers = {Mismatch(5000), kSuccess};
  g_memory.refuseAllocation = 0;
  EXPECT_EQ(QuerySystemInformation(57, 0), nullptr);
  EXPECT_TRUE(g_script.sizesPassed.empty());
  g_memory.allocationCalls = 0;
  g_memory.refuseAllocation = 1;  // the grown buffer
  EXPECT_EQ(QuerySystemInformation(57, 0), nullptr);
  EXPECT_EQ(g_script.sizesPassed.size(), 1u);
}

TEST_F(QueryWithFakesTest, AnswerIsZeroFilledToTheEndOfItsLastPage) {
  g_script.answers = {Mismatch(5000), kSuccess};
  UniqueNativeBuffer result(QuerySystemInformation(57, 0));
  ASSERT_TRUE(result);
  MEMORY_BASIC_INFORMATION region = {};
  ASSERT_EQ(VirtualQuery(result.Get(), &region, sizeof(region)), sizeof(region));
  EXPECT_EQ(region.RegionSize, 8192u) << "5000 bytes take two whole pages";
  EXPECT_EQ(FirstUlong(result.Get()), 2u);
  const BYTE* bytes = result.Bytes();
  EXPECT_TRUE(std::all_of(bytes + 4, bytes + 16, [](BYTE b) { return b == 0xEE; }));
  EXPECT_TRUE(std::all_of(bytes + 16, bytes + region.RegionSize, [](BYTE b) { return b == 0; }))
      << "a fresh buffer, not the one the mismatch scribbled on";
}

}  // namespace
