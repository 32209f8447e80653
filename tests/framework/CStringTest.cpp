// CString: the Windows printf texts the cells rely on, the edits the path rules use, and narrow conversion with the
// thread's code page.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "framework/CString.h"
#include "tests/support/CStringPrinter.h"
#include "tests/framework/TestResources.h"

namespace {

template <typename... Args>
std::wstring Formatted(LPCWSTR format, const Args&... args) {
  CString text;
  text.Format(format, args...);
  return std::wstring(text.GetString(), static_cast<size_t>(text.GetLength()));
}

TEST(CStringFormat, GivesTheWindowsPrintfTexts) {
  EXPECT_EQ(Formatted(L"0x%p", static_cast<void*>(nullptr)), L"0x0000000000000000");
  EXPECT_EQ(Formatted(L"0x%p", reinterpret_cast<void*>(0x1234)), L"0x0000000000001234");
  EXPECT_EQ(Formatted(L"0x%p", reinterpret_cast<void*>(0x7FFE0000ABCDULL)), L"0x00007FFE0000ABCD");  // upper case
  EXPECT_EQ(Formatted(L"%I64d", -1234567890123LL), L"-1234567890123");
  EXPECT_EQ(Formatted(L"0x%I64X", 0xABCDEF0123ULL), L"0xABCDEF0123");
  EXPECT_EQ(Formatted(L"%-I64d/%I64d K", 2048LL, 3072LL), L"2048/3072 K");
  EXPECT_EQ(Formatted(L"%4d|%4d|%4d", 0, 123, 12345), L"   0| 123|12345");
  EXPECT_EQ(Formatted(L"%02d:%02d:%02d.%03d", 1, 2, 3, 456), L"01:02:03.456");
  EXPECT_EQ(Formatted(L"%10.8f", static_cast<double>(1.2345678f)), L"1.23456776");
  EXPECT_EQ(Formatted(L"0x%x 0x%X", 26u, 0x7B2u), L"0x1a 0x7B2");
  EXPECT_EQ(Formatted(L"%x", 0x1F0000000FULL), L"f");  // 32 bits unless widened
  EXPECT_EQ(Formatted(L"%s|%hs", L"wide 中文", "narrow"), L"wide 中文|narrow");
  EXPECT_EQ(Formatted(L"-->%s(%s)", CString(L"explorer.exe"), L"1234"), L"-->explorer.exe(1234)");
}

TEST(CStringFormat, LongResultsAndSelfReference) {
  const std::wstring longText(5000, L'x');
  EXPECT_EQ(Formatted(L"<%s>", longText.c_str()), L"<" + longText + L">");
  CString text(L"abc");
  text.Format(L"%s-%s", text, text.GetString());  // both point into the text being replaced
  EXPECT_EQ(text, L"abc-abc");
  text.Format(L"");
  EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringEdit, ReplaceEveryOccurrenceLeftToRight) {
  // text, old, new, count, result
  const std::tuple<LPCWSTR, LPCWSTR, LPCWSTR, int, LPCWSTR> cases[] = {
      {L"\\Device\\HarddiskVolume1\\Windows\\x\\Device\\HarddiskVolume1", L"\\Device\\HarddiskVolume1", L"C:", 2,
       L"C:\\Windows\\xC:"},
      {L"\\Device\\Mup\\server\\share\\a.txt", L"\\Device\\Mup", L"", 1, L"\\server\\share\\a.txt"},
      {L"aaaa", L"aa", L"a", 2, L"aa"},            // no overlap
      {L"ab", L"a", L"aa", 1, L"aab"},             // the replacement is not searched again
      {L"Device", L"device", L"x", 0, L"Device"},  // case-sensitive
      {L"Device", L"", L"x", 0, L"Device"},
      {L"Device", nullptr, L"x", 0, L"Device"},
  };
  for (const auto& [text, from, to, count, result] : cases) {
    CString edited(text);
    EXPECT_EQ(edited.Replace(from, to), count) << text;
    EXPECT_EQ(edited, result);
  }
}

TEST(CStringEdit, DeleteClampsToTheText) {
  // text, index, count, result; a negative index counts from 0, and a count past the end stops there
  const std::tuple<LPCWSTR, int, int, LPCWSTR> cases[] = {
      {L"\\??\\C:\\a.exe", 0, 4, L"C:\\a.exe"}, {L"C:\\a.exe", 6, 100, L"C:\\a.e"}, {L"C:\\a.e", 6, 1, L"C:\\a.e"},
      {L"C:\\a.e", 50, 1, L"C:\\a.e"},          {L"C:\\a.e", -3, 2, L"\\a.e"},      {L"\\a.e", 1, -5, L"\\a.e"},
      {L"\\a.e", 1, 0x7FFFFFFF, L"\\"}};
  for (const auto& [text, index, count, result] : cases) {
    CString edited(text);
    EXPECT_EQ(edited.Delete(index, count), lstrlenW(result)) << text << " " << index << " " << count;
    EXPECT_EQ(edited, result);
  }
}

TEST(CStringEdit, FindAndSubstringsStayInsideTheText) {
  const CString path(L"\\Device\\HarddiskVolume1\\Windows\\notepad.exe");
  EXPECT_EQ(path.Find(L'\\', 100), -1);
  EXPECT_EQ(path.ReverseFind(L'\\'), 31);
  EXPECT_EQ(path.Mid(100), L"");
  EXPECT_EQ(path.Mid(-5, 2), L"\\D");
  EXPECT_EQ(path.Left(-1), L"");
  EXPECT_EQ(path.Left(1000), path);
}

TEST(CStringNarrow, ConvertsUpToTheNulWithTheThreadCodePage) {
  const char field[8] = {'n', 't', 'o', 's', '\0', 'X', 'Y', 'Z'};
  EXPECT_EQ(CString(field, 8), L"ntos");
  const char full[4] = {'a', 'b', 'c', 'd'};  // no NUL inside the bound: nothing beyond it is read
  EXPECT_EQ(CString(full, 4), L"abcd");
  EXPECT_EQ(CString(static_cast<LPCSTR>(nullptr)), L"");
  const LCID saved = ::GetThreadLocale();
  // Chinese (PRC): the thread's ANSI code page becomes 936 while the process's stays as it is.
  ASSERT_TRUE(::SetThreadLocale(MAKELCID(MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), SORT_DEFAULT)));
  const CString chinese("\xD6\xD0\xCE\xC4 ok");
  ::SetThreadLocale(saved);
  EXPECT_EQ(chinese, L"中文 ok");
}

TEST(CStringResource, LoadsStringsFromTheProgram) {
  CString text;
  EXPECT_TRUE(text.LoadString(IDS_TEST_TEXT));
  EXPECT_EQ(text, L"关于 Test(&A)...");
  EXPECT_FALSE(text.LoadString(IDS_TEST_EMPTY));
  EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
