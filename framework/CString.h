// CString: a counted UTF-16 string. Format uses the C runtime's own wide
// printf (msvcrt), so "%p" prints upper-case digits and "%s" reads wide text
// exactly as on Windows; narrow text converts with the thread's ANSI code page.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <type_traits>

class CString {
 public:
  CString() = default;
  CString(LPCWSTR psz);                // up to the NUL; null gives ""
  CString(LPCWSTR pch, int nLength);   // exactly nLength characters (NULs included)
  CString(LPCSTR psz);                 // narrow text up to its NUL, CP_THREAD_ACP
  CString(LPCSTR psz, int nMaxBytes);  // narrow text: at most nMaxBytes, stops at a NUL

  CString& operator=(LPCWSTR psz);
  CString& operator=(LPCSTR psz);
  CString& operator+=(const CString& str);
  CString& operator+=(LPCWSTR psz);
  CString& operator+=(LPCSTR psz);  // converted like CString(LPCSTR)
  CString& operator+=(wchar_t ch);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  LPCWSTR GetString() const { return m_text.c_str(); }
  operator LPCWSTR() const { return m_text.c_str(); }
  wchar_t GetAt(int nIndex) const { return m_text[static_cast<size_t>(nIndex)]; }

  // Formats with the C runtime's _vsnwprintf (length measured first with
  // _vscwprintf). A CString argument is passed as its text; any other
  // argument must be a plain value or pointer. An invalid format gives "".
  template <typename... Args>
  void Format(LPCWSTR pszFormat, const Args&... args) {
    FormatRaw(pszFormat, FormatArg(args)...);
  }
  void FormatV(LPCWSTR pszFormat, va_list args);
  // Format's text added at the end.
  template <typename... Args>
  void AppendFormat(LPCWSTR pszFormat, const Args&... args) {
    CString text;
    text.Format(pszFormat, args...);
    *this += text;
  }

  // Replaces every occurrence of pszOld, left to right without overlap, and
  // returns how many; an empty pszOld changes nothing. Case-sensitive.
  int Replace(LPCWSTR pszOld, LPCWSTR pszNew);
  // Deletes up to nCount characters from nIndex (clamped to the text); returns the new length.
  int Delete(int nIndex, int nCount = 1);
  // Index of the first ch / pszSub at or after nStart, or -1.
  int Find(wchar_t ch, int nStart = 0) const;
  int Find(LPCWSTR pszSub, int nStart = 0) const;
  // Index of the last ch, or -1.
  int ReverseFind(wchar_t ch) const;
  // Substrings; indexes and counts are clamped to the text.
  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Left(int nCount) const;

  // Loads string nID of the program's resources; FALSE (and "") when it is missing or empty.
  BOOL LoadString(UINT nID);

  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator!=(const CString& a, const CString& b) { return a.m_text != b.m_text; }

 private:
  void FormatRaw(LPCWSTR pszFormat, ...);
  static LPCWSTR FormatArg(const CString& str) { return str.GetString(); }
  template <typename T>
  static const T& FormatArg(const T& value) {
    static_assert(std::is_trivially_copyable<T>::value, "pass plain values or pointers to Format");
    return value;
  }
  void AssignNarrow(LPCSTR psz, size_t nMaxBytes);

  std::wstring m_text;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, LPCWSTR b);
CString operator+(LPCWSTR a, const CString& b);
bool operator==(const CString& a, LPCWSTR b);
bool operator==(LPCWSTR a, const CString& b);
bool operator!=(const CString& a, LPCWSTR b);
