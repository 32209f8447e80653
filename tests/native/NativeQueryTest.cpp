// The grow-and-retry queries, opening by id and the debug privilege on fake routines; no buffer or handle stays.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

using Answer = std::tuple<NTSTATUS, bool, ULONG>;  // status, whether it writes the length, the length
std::vector<Answer> g_answers;                     // the last one repeats
std::vector<ULONG> g_sizes;                        // the buffer size of each call
NTSTATUS g_status = kStatusSuccess;

// A successful answer starts with its call number, so an answer from a discarded buffer shows.
NTSTATUS NTAPI FakeQuery(ULONG, PVOID buffer, ULONG size, PULONG returnLength) {
  g_sizes.push_back(size);
  const auto& [status, writesLength, length] = g_answers[std::min(g_sizes.size(), g_answers.size()) - 1];
  if (writesLength) *returnLength = length;
  if (NtSuccess(status)) *static_cast<ULONG*>(buffer) = static_cast<ULONG>(g_sizes.size());
  return status;
}

// Only a length mismatch retries, with the reported length and not for ever.
TEST(NativeQueryTest, QueriesOpensAndThePrivilegeTrustOnlyWhatTheSystemAnswers) {
  EnsureNativeApiBound();
  ScopedSlotOverride system(g_NativeApi.NtQuerySystemInformation, &FakeQuery);
  FreeNativeBuffer(AllocNativeBuffer(4096));  // warm-up for the leak counts
  const LeakCounts before = TakeLeakCounts();
  const NTSTATUS mismatch = kStatusInfoLengthMismatch;
  // answers, sizes asked with, the call whose answer comes back (0: none)
  const std::tuple<std::vector<Answer>, std::vector<ULONG>, ULONG> cases[] = {
      {{{mismatch, true, 5000}, {mismatch, false, 0}, {kStatusSuccess, true, 16}}, {4096, 5000, 5000}, 3},
      {{{kStatusBufferOverflow, true, 8192}}, {4096}, 0},
      {{{mismatch, true, 0}}, {4096}, 0},
      {{{mismatch, true, 4096}}, std::vector<ULONG>(32, 4096), 0}};
  for (const auto& [answers, sizes, answerOfCall] : cases) {
    g_answers = answers;
    g_sizes.clear();
    UniqueNativeBuffer result(QuerySystemInformation(57, 0));
    EXPECT_EQ(g_sizes, sizes) << sizes.size();
    EXPECT_EQ(result ? SpanOfNativeBuffer(result.Get()).U32(0) : 0, answerOfCall);
  }
  // A failed open gives no handle although one was written; the privilege counts only when assigned.
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, [](PHANDLE handle, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*) {
    *handle = reinterpret_cast<HANDLE>(0x1234);
    return g_status;
  });
  ScopedSlotOverride adjust(g_NativeApi.NtAdjustPrivilegesToken, [](HANDLE, BOOLEAN, PTOKEN_PRIVILEGES, ULONG,
                                                                    PTOKEN_PRIVILEGES, PULONG) { return g_status; });
  for (NTSTATUS status : {kStatusNotAllAssigned, kStatusAccessDenied, kStatusSuccess}) {
    g_status = status;
    EXPECT_EQ(EnableDebugPrivilege(), status == kStatusSuccess) << std::hex << status;
    EXPECT_EQ(OpenProcessById(0x5678, 0x1000), NtSuccess(status) ? reinterpret_cast<HANDLE>(0x1234) : nullptr);
  }
  EXPECT_EQ(OpenProcessById(0, 0x1000), nullptr);  // even when the system would answer
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
