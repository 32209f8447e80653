// CString: the msvcrt printf texts the cells rely on, the edits the path rules use, narrow text in the thread's
// code page, and strings of the program's resources.
#include <gtest/gtest.h>

#include <tuple>

#include "framework/CString.h"
#include "res/resource.h"
#include "tests/support/CStringPrinter.h"

namespace {

template <typename... Args>
CString Formatted(LPCWSTR format, const Args&... args) {
  CString text;
  text.Format(format, args...);
  return text;
}

TEST(CStringTest, FormatGivesTheWindowsTextsOfAnyLength) {
  EXPECT_EQ(Formatted(L"0x%p", reinterpret_cast<void*>(0x7FFE0000ABCDULL)), L"0x00007FFE0000ABCD");
  EXPECT_EQ(Formatted(L"%I64d|%x|%10.8f", -1234567890123LL, 0x1F0000000FULL, 1.25), L"-1234567890123|f|1.25000000");
  EXPECT_EQ(Formatted(L"%s|%hs|%s", L"wide 中文", "narrow", CString(L"cs")), L"wide 中文|narrow|cs");
  const std::wstring longText(5000, L'x');
  EXPECT_EQ(Formatted(L"<%s>", longText.c_str()), (L"<" + longText + L">").c_str());
  CString text(L"abc");
  text.Format(L"%s-%s", text, text.GetString());  // both point into the text being replaced
  EXPECT_EQ(text, L"abc-abc");
}

TEST(CStringTest, EditsStayInsideTheText) {
  // text, old, new, count, result: left to right, no overlap, the replacement is not searched again
  const std::tuple<LPCWSTR, LPCWSTR, LPCWSTR, int, LPCWSTR> replaces[] = {
      {L"\\Device\\Vol1\\x\\Device\\Vol1", L"\\Device\\Vol1", L"C:", 2, L"C:\\xC:"},
      {L"aaaa", L"aa", L"a", 2, L"aa"},
      {L"ab", L"a", L"aa", 1, L"aab"},
      {L"Device", L"device", L"x", 0, L"Device"},
      {L"Device", L"", L"x", 0, L"Device"}};
  for (const auto& [text, from, to, count, result] : replaces) {
    CString edited(text);
    EXPECT_EQ(edited.Replace(from, to), count) << text;
    EXPECT_EQ(edited, result);
  }
  // text, index, count, result: a negative index counts from 0, a count past the end stops there
  const std::tuple<LPCWSTR, int, int, LPCWSTR> deletes[] = {{L"\\??\\C:\\a", 0, 4, L"C:\\a"},
                                                            {L"C:\\a.e", 50, 1, L"C:\\a.e"},
                                                            {L"C:\\a.e", -3, 2, L"\\a.e"},
                                                            {L"\\a.e", 1, -5, L"\\a.e"},
                                                            {L"\\a.e", 1, 0x7FFFFFFF, L"\\"}};
  for (const auto& [text, index, count, result] : deletes) {
    CString edited(text);
    EXPECT_EQ(edited.Delete(index, count), lstrlenW(result)) << text << " " << index;
    EXPECT_EQ(edited, result);
  }
  const CString path(L"\\Device\\Vol1\\notepad.exe");
  EXPECT_EQ(path.Mid(100), L"");
  EXPECT_EQ(path.Mid(-5, 2), L"\\D");
  EXPECT_EQ(path.Left(1000), path);
}

TEST(CStringTest, NarrowTextStopsAtTheBoundAndUsesTheThreadCodePage) {
  const char field[8] = {'n', 't', 'o', 's', '\0', 'X', 'Y', 'Z'};
  EXPECT_EQ(CString(field, 8), L"ntos");
  const char full[4] = {'a', 'b', 'c', 'd'};  // no NUL inside the bound
  EXPECT_EQ(CString(full, 4), L"abcd");
  const LCID saved = ::GetThreadLocale();
  // Chinese (PRC): the thread's ANSI code page becomes 936 while the process's stays as it is.
  ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)));
  const CString chinese("\xD6\xD0\xCE\xC4 ok");
  ::SetThreadLocale(saved);
  EXPECT_EQ(chinese, L"中文 ok");
}

TEST(CStringTest, LoadsStringsOfTheProgram) {
  CString text;
  EXPECT_TRUE(text.LoadString(IDS_ABOUTBOX));
  EXPECT_EQ(text, L"关于 Halvern(&A)...");
  EXPECT_FALSE(text.LoadString(9999));
  EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
