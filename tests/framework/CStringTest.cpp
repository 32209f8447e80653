// CString: the Windows printf texts the cells rely on, the edits the path
// rules use, and narrow conversion with the thread's code page.
#include <gtest/gtest.h>

#include <string>

#include "framework/CString.h"
#include "tests/framework/CStringPrinter.h"
#include "tests/framework/TestResources.h"

namespace {

template <typename... Args>
std::wstring Formatted(LPCWSTR format, const Args&... args) {
  CString text;
  text.Format(format, args...);
  return std::wstring(text.GetString(), static_cast<size_t>(text.GetLength()));
}

TEST(CStringFormat, PointersAreSixteenUpperCaseDigits) {
  EXPECT_EQ(Formatted(L"0x%p", static_cast<void*>(nullptr)), L"0x0000000000000000");
  EXPECT_EQ(Formatted(L"0x%p", reinterpret_cast<void*>(0x1234)), L"0x0000000000001234");
  EXPECT_EQ(Formatted(L"0x%p/0x%p", reinterpret_cast<void*>(0x7FFE0000ABCDULL), reinterpret_cast<void*>(0xFF)),
            L"0x00007FFE0000ABCD/0x00000000000000FF");
}

TEST(CStringFormat, SixtyFourBitIntegers) {
  EXPECT_EQ(Formatted(L"%I64d", -1234567890123LL), L"-1234567890123");
  EXPECT_EQ(Formatted(L"0x%I64X", 0xABCDEF0123ULL), L"0xABCDEF0123");
  EXPECT_EQ(Formatted(L"0x%I64X", 0ULL), L"0x0");
  EXPECT_EQ(Formatted(L"%-I64d/%I64d K", 2048LL, 3072LL), L"2048/3072 K");
  EXPECT_EQ(Formatted(L"%I64x", 0x1F0000000FULL), L"1f0000000f");
}

TEST(CStringFormat, WidthsAndPadding) {
  EXPECT_EQ(Formatted(L"%4d", 0), L"   0");
  EXPECT_EQ(Formatted(L"%4d", 123), L" 123");
  EXPECT_EQ(Formatted(L"%4d", 12345), L"12345");
  EXPECT_EQ(Formatted(L"%02d:%02d:%02d.%03d", 1, 2, 3, 456), L"01:02:03.456");
  EXPECT_EQ(Formatted(L"%10.8f", static_cast<double>(1.2345678f)), L"1.23456776");
  EXPECT_EQ(Formatted(L"%10.8f", 1.5), L"1.50000000");
  EXPECT_EQ(Formatted(L"[%d] %d%%", 42, 7), L"[42] 7%");
}

TEST(CStringFormat, HexCutsToThirtyTwoBitsUnlessWidened) {
  EXPECT_EQ(Formatted(L"0x%x", 26u), L"0x1a");
  EXPECT_EQ(Formatted(L"0x%X", 0x7B2u), L"0x7B2");
  EXPECT_EQ(Formatted(L"%x", 0x1F0000000FULL), L"f");
  EXPECT_EQ(Formatted(L"%d", 0x100000005LL), L"5");
}

TEST(CStringFormat, StringsAreWideAndNarrowOnRequest) {
  EXPECT_EQ(Formatted(L"%s", L"wide 中文"), L"wide 中文");
  EXPECT_EQ(Formatted(L"%ls|%hs|%S", L"a", "b", "c"), L"a|b|c");
  const CString name(L"explorer.exe");
  EXPECT_EQ(Formatted(L"-->%s(%s)", name, L"1234"), L"-->explorer.exe(1234)");
}

TEST(CStringFormat, LongResultsAndSelfReference) {
  const std::wstring longText(5000, L'x');
  EXPECT_EQ(Formatted(L"<%s>", longText.c_str()), L"<" + longText + L">");

  CString text(L"abc");
  text.Format(L"%s-%s", text, text.GetString());
  EXPECT_EQ(text, L"abc-abc");
  text.Format(L"");
  EXPECT_TRUE(text.IsEmpty());
}

TEST(CStringEdit, ReplaceEveryOccurrenceLeftToRight) {
  CString path(L"\\Device\\HarddiskVolume1\\Windows\\x\\Device\\HarddiskVolume1");
  EXPECT_EQ(path.Replace(L"\\Device\\HarddiskVolume1", L"C:"), 2);
  EXPECT_EQ(path, L"C:\\Windows\\xC:");

  CString removed(L"\\Device\\Mup\\server\\share\\a.txt");
  EXPECT_EQ(removed.Replace(L"\\Device\\Mup", L""), 1);
  EXPECT_EQ(removed, L"\\server\\share\\a.txt");

  CString overlapping(L"aaaa");
  EXPECT_EQ(overlapping.Replace(L"aa", L"a"), 2);
  EXPECT_EQ(overlapping, L"aa");

  CString unchanged(L"Device");
  EXPECT_EQ(unchanged.Replace(L"device", L"x"), 0);  // case-sensitive
  EXPECT_EQ(unchanged.Replace(L"", L"x"), 0);
  EXPECT_EQ(unchanged.Replace(nullptr, L"x"), 0);
  EXPECT_EQ(unchanged, L"Device");

  CString growing(L"ab");
  EXPECT_EQ(growing.Replace(L"a", L"aa"), 1);  // the replacement is not searched again
  EXPECT_EQ(growing, L"aab");
}

TEST(CStringEdit, DeleteClampsToTheText) {
  CString text(L"\\??\\C:\\a.exe");
  EXPECT_EQ(text.Delete(0, 4), 8);
  EXPECT_EQ(text, L"C:\\a.exe");
  EXPECT_EQ(text.Delete(6, 100), 6);
  EXPECT_EQ(text, L"C:\\a.e");
  EXPECT_EQ(text.Delete(6, 1), 6);   // at the end: nothing
  EXPECT_EQ(text.Delete(50, 1), 6);  // past the end: nothing
  EXPECT_EQ(text.Delete(-3, 2), 4);  // a negative index counts from 0
  EXPECT_EQ(text, L"\\a.e");
  EXPECT_EQ(text.Delete(1, -5), 4);
  EXPECT_EQ(text.Delete(1, 0x7FFFFFFF), 1);
  EXPECT_EQ(text, L"\\");
}

TEST(CStringEdit, FindMidAndLeft) {
  const CString path(L"\\Device\\HarddiskVolume1\\Windows\\notepad.exe");
  EXPECT_EQ(path.Find(L'\\', 10), 23);
  EXPECT_EQ(path.Find(L'\\', 100), -1);
  EXPECT_EQ(path.Find(L"Windows"), 24);
  EXPECT_EQ(path.Find(L"windows"), -1);
  EXPECT_EQ(path.ReverseFind(L'\\'), 31);
  EXPECT_EQ(CString(L"plain").ReverseFind(L'\\'), -1);
  EXPECT_EQ(path.Left(23), L"\\Device\\HarddiskVolume1");
  EXPECT_EQ(path.Mid(32), L"notepad.exe");
  EXPECT_EQ(path.Mid(32, 7), L"notepad");
  EXPECT_EQ(path.Mid(100), L"");
  EXPECT_EQ(path.Mid(-5, 2), L"\\D");
  EXPECT_EQ(path.Left(-1), L"");
  EXPECT_EQ(path.Left(1000), path);
}

TEST(CStringEdit, AppendAndCompare) {
  CString report;
  report += L"OS:";
  report += L'\t';
  report += "narrow";
  report += CString(L"\r\n");
  EXPECT_EQ(report, L"OS:\tnarrow\r\n");
  EXPECT_EQ(CString(L"a") + L"b" + CString(L"c"), L"abc");
  EXPECT_NE(CString(L"a"), L"A");
  EXPECT_EQ(CString(static_cast<LPCWSTR>(nullptr)), L"");
  const CString withNul(L"a\0b", 3);
  EXPECT_EQ(withNul.GetLength(), 3);
  EXPECT_NE(withNul, L"a");
}

TEST(CStringNarrow, ConvertsUpToTheNulOnly) {
  const char field[8] = {'n', 't', 'o', 's', '\0', 'X', 'Y', 'Z'};
  EXPECT_EQ(CString(field, static_cast<int>(sizeof(field))), L"ntos");
  // No NUL inside the bound: the text ends at the bound, nothing beyond is read.
  const char full[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(CString(full, 4), L"abcd");
  EXPECT_EQ(CString(full, 2), L"ab");
  EXPECT_EQ(CString("", 10), L"");
  EXPECT_EQ(CString(static_cast<LPCSTR>(nullptr)), L"");
  EXPECT_EQ(CString("kernel32.dll"), L"kernel32.dll");
}

TEST(CStringNarrow, UsesTheThreadCodePage) {
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
