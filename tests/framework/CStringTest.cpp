// CString where the cells rely on it: texts of any length, edits that stay inside the text, and narrow text from
// fixed-size fields in the thread's code page.
#include <gtest/gtest.h>

#include <tuple>

#include "framework/CString.h"
#include "tests/support/CStringPrinter.h"

namespace {

TEST(CStringTest, FormatGivesTextsOfAnyLengthEvenFromItself) {
  const std::wstring longText(5000, L'x');
  CString text;
  text.Format(L"<%s>", longText.c_str());
  EXPECT_EQ(text, (L"<" + longText + L">").c_str());
  text = L"abc";
  text.Format(L"%s-%s", text, text.GetString());  // both point into the text being replaced
  EXPECT_EQ(text, L"abc-abc");
}

TEST(CStringTest, EditsStayInsideTheText) {
  // text, old, new, count, result: left to right, no overlap, the replacement is not searched again
  const std::tuple<LPCWSTR, LPCWSTR, LPCWSTR, int, LPCWSTR> replaces[] = {
      {L"\\Device\\Vol1\\x\\Device\\Vol1", L"\\Device\\Vol1", L"C:", 2, L"C:\\xC:"},
      {L"aaaa", L"aa", L"a", 2, L"aa"},
      {L"ab", L"a", L"aa", 1, L"aab"}};
  for (const auto& [text, from, to, count, result] : replaces) {
    CString edited(text);
    EXPECT_EQ(edited.Replace(from, to), count) << text;
    EXPECT_EQ(edited, result);
  }
  // text, index, count, result: a negative index counts from 0, a count past the end stops there
  const std::tuple<LPCWSTR, int, int, LPCWSTR> deletes[] = {
      {L"C:\\a.e", 50, 1, L"C:\\a.e"}, {L"C:\\a.e", -3, 2, L"\\a.e"}, {L"\\a.e", 1, 0x7FFFFFFF, L"\\"}};
  for (const auto& [text, index, count, result] : deletes) {
    CString edited(text);
    EXPECT_EQ(edited.Delete(index, count), lstrlenW(result)) << text << " " << index;
    EXPECT_EQ(edited, result);
  }
  EXPECT_EQ(CString(L"\\Device").Mid(100), L"");
  EXPECT_EQ(CString(L"\\Device").Mid(-5, 2), L"\\D");
}

TEST(CStringTest, NarrowTextStopsAtTheBoundAndUsesTheThreadCodePage) {
  const char field[8] = {'n', 't', 'o', 's', '\0', 'X', 'Y', 'Z'};
  EXPECT_EQ(CString(field, 8), L"ntos");
  EXPECT_EQ(CString(field, 3), L"nto");  // no NUL inside the bound
  const LCID saved = ::GetThreadLocale();
  // Chinese (PRC): the thread's ANSI code page becomes 936 while the process's stays as it is.
  ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)));
  const CString chinese("\xD6\xD0\xCE\xC4 ok");
  ::SetThreadLocale(saved);
  EXPECT_EQ(chinese, L"中文 ok");
}

}  // namespace
