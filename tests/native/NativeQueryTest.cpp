// The grow-and-retry queries, opening by id and the debug privilege: fake routines script what the system cannot be
// made to answer, and no buffer or handle stays behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

struct Answer {
  NTSTATUS status;
  bool writesLength;
  ULONG length;
};
constexpr Answer Mismatch(ULONG length) { return {kStatusInfoLengthMismatch, true, length}; }
constexpr Answer kSuccess = {kStatusSuccess, true, 16};

std::vector<Answer> g_answers;  // the last one repeats
std::vector<ULONG> g_sizes;     // the buffer size of each call
NTSTATUS g_status = kStatusSuccess;
int g_calls = 0;

// A successful answer starts with its call number, so an answer from a discarded buffer shows.
NTSTATUS NTAPI FakeQuery(ULONG, PVOID buffer, ULONG size, PULONG returnLength) {
  g_sizes.push_back(size);
  const Answer& answer = g_answers[std::min(g_sizes.size(), g_answers.size()) - 1];
  if (answer.writesLength) *returnLength = answer.length;
  if (NtSuccess(answer.status)) *static_cast<ULONG*>(buffer) = static_cast<ULONG>(g_sizes.size());
  return answer.status;
}

TEST(NativeQueryTest, OnlyALengthMismatchRetriesWithTheReportedLengthAndNotForEver) {
  EnsureNativeApiBound();
  ScopedSlotOverride system(g_NativeApi.NtQuerySystemInformation, &FakeQuery);
  ScopedSlotOverride thread(
      g_NativeApi.NtQueryInformationThread,
      [](HANDLE, ULONG, PVOID buffer, ULONG size, PULONG length) { return FakeQuery(0, buffer, size, length); });
  FreeNativeBuffer(AllocNativeBuffer(4096));  // warm-up for the leak counts
  const LeakCounts before = TakeLeakCounts();
  std::vector<ULONG> endless(32, 100);
  endless[0] = 4096;
  const struct {
    std::vector<Answer> answers;
    std::vector<ULONG> sizes;  // asked with, in order
    ULONG answerOfCall;        // 0: none comes back
  } cases[] = {
      // a mismatch that writes no length asks again with the last one
      {{Mismatch(5000), Mismatch(9000), {kStatusInfoLengthMismatch, false, 0}, kSuccess}, {4096, 5000, 9000, 9000}, 4},
      {{{kStatusBufferOverflow, true, 8192}}, {4096}, 0},
      {{Mismatch(0), kSuccess}, {4096}, 0},
      {{Mismatch(100)}, endless, 0},
  };
  for (const auto& c : cases) {
    g_answers = c.answers;
    g_sizes.clear();
    UniqueNativeBuffer result(QuerySystemInformation(57, 0));
    EXPECT_EQ(g_sizes, c.sizes) << c.sizes.size();
    ASSERT_EQ(!!result, c.answerOfCall != 0);
    if (result) EXPECT_EQ(SpanOfNativeBuffer(result.Get()).U32(0), c.answerOfCall);
    if (result) EXPECT_EQ(SpanOfNativeBuffer(result.Get()).Size(), 12288u);  // whole pages
  }
  g_answers = {kSuccess};
  g_sizes.clear();
  UniqueNativeBuffer(QueryThreadBasicInformation(nullptr));
  EXPECT_EQ(g_sizes, std::vector<ULONG>{48});  // Windows takes no other size for this class
  ExpectNoLeaks(before, TakeLeakCounts());
}

// Id 0 opens nothing; a failed open gives no handle although one was written; the privilege counts only when
// assigned, and the token is closed on every path.
TEST(NativeProcessTest, OpenByIdAndDebugPrivilegeTrustOnlyASuccess) {
  EnsureNativeApiBound();
  EXPECT_TRUE(EnableDebugPrivilege());  // the real token
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, [](PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*) {
    *handle = reinterpret_cast<HANDLE>(0x1234);
    return g_status;
  });
  ScopedSlotOverride adjust(g_NativeApi.NtAdjustPrivilegesToken,
                            [](HANDLE, BOOLEAN, PTOKEN_PRIVILEGES, ULONG, PTOKEN_PRIVILEGES, PULONG) {
                              ++g_calls;
                              return g_status;
                            });
  const LeakCounts before = TakeLeakCounts();
  for (NTSTATUS status : {kStatusSuccess, kStatusNotAllAssigned, kStatusAccessDenied}) {
    g_status = status;
    EXPECT_EQ(EnableDebugPrivilege(), status == kStatusSuccess) << std::hex << status;
    EXPECT_EQ(OpenProcessById(0x5678, 0x1000), NtSuccess(status) ? reinterpret_cast<HANDLE>(0x1234) : nullptr);
  }
  g_status = kStatusSuccess;
  EXPECT_EQ(OpenProcessById(0, 0x1000), nullptr);
  ExpectNoLeaks(before, TakeLeakCounts());
  ScopedSlotOverride openToken(g_NativeApi.NtOpenProcessToken,
                               [](HANDLE, ACCESS_MASK, PHANDLE) { return kStatusAccessDenied; });
  g_calls = 0;
  EXPECT_FALSE(EnableDebugPrivilege());
  EXPECT_EQ(g_calls, 0);
}

}  // namespace
