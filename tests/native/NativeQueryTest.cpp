// The grow-and-retry queries, opening by id and the debug privilege: fake routines script what the system cannot be
// made to answer, the real routines check the rest, and the leak counters must see a single leak.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

// One scripted answer of a fake routine; the last one repeats.
struct Answer {
  NTSTATUS status;
  bool writesLength;
  ULONG length;
};
constexpr Answer Mismatch(ULONG length) { return {kStatusInfoLengthMismatch, true, length}; }
constexpr Answer kSuccess = {kStatusSuccess, true, 16};

struct {
  std::vector<Answer> answers;
  std::vector<ULONG> sizes;          // the buffer size of each call
  std::vector<ULONG_PTR> arguments;  // handle (if any) and class of each call
  int refuseAllocation = -1;         // index of the allocation to refuse
  int allocations = 0;
} g_log;
PFN_NtAllocateVirtualMemory g_realAlloc;

// On success: the call number, then 0xEE up to byte 16. On failure: 0xCC over everything, so an answer from a
// discarded buffer shows.
NTSTATUS RunScript(PVOID buffer, ULONG size, PULONG returnLength) {
  const size_t call = g_log.sizes.size();
  g_log.sizes.push_back(size);
  const Answer& answer = g_log.answers[std::min(call, g_log.answers.size() - 1)];
  if (answer.writesLength) *returnLength = answer.length;
  const bool success = NtSuccess(answer.status);
  std::memset(buffer, success ? 0xEE : 0xCC, success ? std::min<ULONG>(size, 16) : size);
  if (success) *static_cast<ULONG*>(buffer) = static_cast<ULONG>(call + 1);
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
NTSTATUS NTAPI RefusingAlloc(HANDLE process, PVOID* base, ULONG_PTR zeroBits, PSIZE_T size, ULONG type, ULONG protect) {
  if (g_log.allocations++ == g_log.refuseAllocation) return static_cast<NTSTATUS>(0xC0000017);  // no memory
  return g_realAlloc(process, base, zeroBits, size, type, protect);
}

class NativeQueryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }  // before the overrides below save the real routines
  void SetUp() override {
    g_log = decltype(g_log)();
    g_realAlloc = m_alloc.Saved();
    FreeNativeBuffer(AllocNativeBuffer(4096));  // warm-up for the leak counts
    m_before = TakeLeakCounts();
  }
  void TearDown() override { ExpectNoLeaks(m_before, TakeLeakCounts()); }

  LeakCounts m_before = {};
  ScopedSlotOverride<PFN_NtAllocateVirtualMemory> m_alloc{g_NativeApi.NtAllocateVirtualMemory, &RefusingAlloc};
  ScopedSlotOverride<PFN_NtQuerySystemInformation> m_system{g_NativeApi.NtQuerySystemInformation, &FakeSystem};
  ScopedSlotOverride<PFN_NtQueryObject> m_object{g_NativeApi.NtQueryObject, &FakeWithHandle};
  ScopedSlotOverride<PFN_NtQueryInformationProcess> m_process{g_NativeApi.NtQueryInformationProcess, &FakeWithHandle};
  ScopedSlotOverride<PFN_NtQueryInformationThread> m_thread{g_NativeApi.NtQueryInformationThread, &FakeWithHandle};
};

TEST_F(NativeQueryTest, OnlyALengthMismatchRetriesAndOnlyWithTheReportedLength) {
  std::vector<ULONG> endless(32, 100);  // 32 attempts, then it gives up
  endless[0] = 4096;
  const struct {
    std::vector<Answer> answers;
    std::vector<ULONG> sizes;  // asked with, in order
    ULONG answerOfCall;        // the call whose answer comes back; 0: none
    int refuseAllocation;
  } cases[] = {
      {{Mismatch(5000), Mismatch(9000), {kStatusInfoLengthMismatch, false, 0}, kSuccess},
       {4096, 5000, 9000, 9000},
       4,
       -1},
      {{{kStatusBufferOverflow, true, 8192}}, {4096}, 0, -1},
      {{{kStatusBufferTooSmall, true, 8192}}, {4096}, 0, -1},
      {{Mismatch(0), kSuccess}, {4096}, 0, -1},
      {{Mismatch(100)}, endless, 0, -1},
      {{{kStatusNotAllAssigned, true, 16}}, {4096}, 1, -1},  // a success other than 0
      {{Mismatch(5000), kSuccess}, {4096}, 0, 1},            // no memory to grow
  };
  for (const auto& c : cases) {
    g_log.answers = c.answers;
    g_log.sizes.clear();
    g_log.refuseAllocation = c.refuseAllocation;
    g_log.allocations = 0;
    UniqueNativeBuffer result(QuerySystemInformation(57, 0));
    const int i = static_cast<int>(&c - cases);
    EXPECT_EQ(g_log.sizes, c.sizes) << i;
    ASSERT_EQ(!!result, c.answerOfCall != 0) << i;
    if (!result) continue;
    const ByteSpan bytes = SpanOfNativeBuffer(result.Get());
    EXPECT_EQ(bytes.U32(0), c.answerOfCall) << i;
    EXPECT_EQ(bytes.Size(), (c.sizes.back() + 4095) / 4096 * 4096) << i;
  }
}

TEST_F(NativeQueryTest, EachQueryAsksItsRoutineWithItsArgumentsAndStartSize) {
  const HANDLE handle = reinterpret_cast<HANDLE>(0x1234);
  g_log.answers = {kSuccess};
  UniqueNativeBuffer(QuerySystemInformation(2, 312));
  UniqueNativeBuffer(QueryObjectInformation(handle, 2));
  UniqueNativeBuffer(QueryProcessInformation(handle, 27, 0));
  UniqueNativeBuffer(QueryThreadBasicInformation(handle));
  EXPECT_EQ(g_log.sizes, (std::vector<ULONG>{312, 4096, 4096, 48}));
  EXPECT_EQ(g_log.arguments, (std::vector<ULONG_PTR>{2, 0x1234, 2, 0x1234, 27, 0x1234, 0}));
}

TEST(NativeRealTest, QueriesAnswerForThisProcessAndTheLeakCountersSeeOneLeak) {
  EnsureNativeApiBound();
  UniqueNativeBuffer snapshot(QuerySystemInformation(57, 0));  // outgrows its 4096-byte start
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
  EXPECT_EQ(SpanOfNativeBuffer(thread.Get()).Ptr(0x18), GetCurrentThreadId());

  // gtest's first intercepted failure starts a watcher thread that stays; let it happen before any counts.
  EXPECT_NONFATAL_FAILURE(ADD_FAILURE() << "warm-up", "warm-up");
  const LeakCounts before = TakeLeakCounts();
  NativeBuffer buffer = AllocNativeBuffer(100);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(before, TakeLeakCounts()), "committed private memory grew");
  FreeNativeBuffer(buffer);
  HANDLE handle = OpenProcessById(GetCurrentProcessId(), PROCESS_QUERY_LIMITED_INFORMATION);
  ASSERT_NE(handle, nullptr);
  EXPECT_NONFATAL_FAILURE(ExpectNoLeaks(before, TakeLeakCounts()), "open handles changed");
  g_NativeApi.NtClose(handle);
  ExpectNoLeaks(before, TakeLeakCounts());
}

const HANDLE kFakeHandle = reinterpret_cast<HANDLE>(0x1234);
int g_calls = 0;
NTSTATUS g_status = kStatusSuccess;

TEST(NativeProcessTest, OpenByIdGivesNoHandleForIdZeroOrAFailure) {
  EnsureNativeApiBound();
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess,
                          [](PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID* client) {
                            ++g_calls;
                            *handle = client->UniqueProcess == reinterpret_cast<HANDLE>(0x5678) ? kFakeHandle : nullptr;
                            return g_status;  // the handle is written even on failure, which must not get out
                          });
  g_calls = 0;
  g_status = kStatusSuccess;
  EXPECT_EQ(OpenProcessById(0, 0x1000), nullptr);
  EXPECT_EQ(g_calls, 0);
  EXPECT_EQ(OpenProcessById(0x5678, 0x1000), kFakeHandle);
  g_status = kStatusAccessDenied;
  EXPECT_EQ(OpenProcessById(0x5678, 0x1000), nullptr);
}

// Enabled in the real token; with a faked adjustment: true only when assigned, and the token is always closed.
TEST(NativeProcessTest, DebugPrivilegeIsEnabledOnlyWhenAssigned) {
  EnsureNativeApiBound();
  EXPECT_TRUE(EnableDebugPrivilege());
  ScopedSlotOverride adjust(g_NativeApi.NtAdjustPrivilegesToken,
                            [](HANDLE, BOOLEAN, PTOKEN_PRIVILEGES, ULONG, PTOKEN_PRIVILEGES, PULONG) {
                              ++g_calls;
                              return g_status;
                            });
  const LeakCounts before = TakeLeakCounts();
  for (NTSTATUS status : {kStatusSuccess, kStatusNotAllAssigned, kStatusAccessDenied}) {
    g_status = status;
    EXPECT_EQ(EnableDebugPrivilege(), status == kStatusSuccess) << std::hex << status;
  }
  ExpectNoLeaks(before, TakeLeakCounts());
  // A token that cannot be opened: nothing adjusted.
  ScopedSlotOverride open(g_NativeApi.NtOpenProcessToken,
                          [](HANDLE, ACCESS_MASK, PHANDLE) { return kStatusAccessDenied; });
  g_calls = 0;
  EXPECT_FALSE(EnableDebugPrivilege());
  EXPECT_EQ(g_calls, 0);
}

}  // namespace
