// CString where the cells rely on it: any length, edits inside the text, narrow text in the thread's code page.
#include <gtest/gtest.h>

#include <tuple>

#include "framework/CString.h"
#include "tests/support/CStringPrinter.h"

namespace {

TEST(CStringTest, AnyLengthEditsInsideTheTextAndNarrowFields) {
  const std::wstring longText(5000, L'x');
  CString formatted(L"abc");
  // the first two point into the text being replaced
  formatted.Format(L"%s-%s-%s", formatted, formatted.GetString(), longText.c_str());
  EXPECT_EQ(formatted, (L"abc-abc-" + longText).c_str());
  // left to right, no overlap, the replacement is not searched again
  const std::tuple<LPCWSTR, LPCWSTR, LPCWSTR, int, LPCWSTR> replaces[] = {{L"aaaa", L"aa", L"a", 2, L"aa"},
                                                                          {L"ab", L"a", L"aa", 1, L"aab"}};
  for (const auto& [text, from, to, count, result] : replaces) {
    CString edited(text);
    EXPECT_EQ(edited.Replace(from, to), count) << text;
    EXPECT_EQ(edited, result);
  }
  const std::tuple<int, int, LPCWSTR> deletes[] = {{50, 1, L"C:\\a.e"}, {-3, 2, L"\\a.e"}, {3, 0x7FFFFFFF, L"C:\\"}};
  for (const auto& [index, count, result] : deletes) {
    CString edited(L"C:\\a.e");
    EXPECT_EQ(edited.Delete(index, count), lstrlenW(result)) << index;
    EXPECT_EQ(edited, result);
  }
  // narrow text from fixed-size fields: up to the bound, in the thread's code page
  const char field[8] = {'n', 't', 'o', 's', '\0', 'X', 'Y', 'Z'};
  EXPECT_EQ(CString(field, 8), L"ntos");
  EXPECT_EQ(CString(field, 3), L"nto");
  const LCID saved = ::GetThreadLocale();  // Chinese: the thread's ANSI code page becomes 936, the process's stays
  ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)));
  const CString chinese("\xD6\xD0\xCE\xC4 ok");
  ::SetThreadLocale(saved);
  EXPECT_EQ(chinese, L"中文 ok");
}

}  // namespace
