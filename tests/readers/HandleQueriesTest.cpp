// Handle type and name queries on an own handle, with fake answers whose
// text does not lie where it should.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <utility>

#include "native/NativeOwners.h"
#include "readers/HandleQueries.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/SlotOverride.h"

namespace {

class HandleQueriesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
};

ULONG_PTR Value(HANDLE handle) { return reinterpret_cast<ULONG_PTR>(handle); }

const wchar_t kOutside[] = L"outside";
USHORT g_length = 0;
ptrdiff_t g_textAt = 0;  // from the answer's start; 0 puts the text in kOutside

NTSTATUS NTAPI FakeAnswer(HANDLE, ULONG, PVOID buffer, ULONG size, PULONG returned) {
  BYTE* answer = static_cast<BYTE*>(buffer);
  const ULONG_PTR text =
      g_textAt ? reinterpret_cast<ULONG_PTR>(answer + g_textAt) : reinterpret_cast<ULONG_PTR>(kOutside);
  std::memcpy(answer, &g_length, 2);
  std::memcpy(answer + 8, &text, 8);
  if (g_textAt) std::memcpy(answer + g_textAt, L"abcdefgh", size - g_textAt < 16 ? size - g_textAt : 16);
  *returned = size;
  return kStatusSuccess;
}

TEST_F(HandleQueriesTest, TextIsReadByLengthAndOnlyInsideTheAnswer) {
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  UniqueNtHandle owner(OpenHandleOwner(GetCurrentProcessId()));
  ScopedSlotOverride query(g_NativeApi.NtQueryObject, &FakeAnswer);
  const struct {
    USHORT length;
    ptrdiff_t textAt;
    bool read;
    const wchar_t* text;
  } cases[] = {
      {14, 0, false, L""},      {11, 16, true, L"abcde"}, {0, 0, true, L""},
      {0xFFFE, 16, false, L""}, {8, 4088, true, L"abcd"}, {10, 4088, false, L""},
  };
  for (const auto& c : cases) {
    g_length = c.length;
    g_textAt = c.textAt;
    CString text = L"unchanged";
    for (DWORD timeout : {DWORD{INFINITE}, DWORD{300}}) {
      UniqueNtHandle duplicate(DuplicateForQuery(owner.Get(), Value(event)));
      EXPECT_EQ(ReadObjectName(std::move(duplicate), timeout, &text), c.read) << c.length;
      if (c.read) {
        EXPECT_EQ(text, CString(c.text));
      }
    }
    UniqueNtHandle duplicate(DuplicateForQuery(owner.Get(), Value(event)));
    EXPECT_EQ(ReadObjectTypeName(duplicate.Get(), &text), c.read) << c.length;
  }
  EXPECT_EQ(QueryHandleTypeInfo(0, Value(event)), nullptr);  // process 0: nothing is asked
  CloseHandle(event);
}

}  // namespace
