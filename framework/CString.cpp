// CString: construction, conversion, the msvcrt formatting and the edits.
#include "framework/CString.h"

#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#include "framework/Module.h"

// mingw's own printf family prints "%p" in lower case and reads "%s" as
// narrow text; these two are msvcrt's exports (declared here so no header
// macro can route them elsewhere).
extern "C" {
_CRTIMP int __cdecl _vsnwprintf(wchar_t* buffer, size_t count, const wchar_t* format, va_list args);
_CRTIMP int __cdecl _vscwprintf(const wchar_t* format, va_list args);
}

namespace {

// Clamps [first, first + count) to a text of length; returns the count left.
size_t ClampRange(int length, int& first, int count) {
  if (first < 0) first = 0;
  if (count < 0 || first >= length) return 0;
  const long long end = static_cast<long long>(first) + count;
  return static_cast<size_t>((end > length ? length : end) - first);
}

}  // namespace

CString::CString(LPCWSTR psz) {
  if (psz != nullptr) m_text = psz;
}

CString::CString(LPCWSTR pch, int nLength) {
  if (pch != nullptr && nLength > 0) m_text.assign(pch, static_cast<size_t>(nLength));
}

CString::CString(LPCSTR psz) { AssignNarrow(psz, static_cast<size_t>(-1)); }

CString::CString(LPCSTR psz, int nMaxBytes) {
  if (nMaxBytes > 0) AssignNarrow(psz, static_cast<size_t>(nMaxBytes));
}

void CString::AssignNarrow(LPCSTR psz, size_t nMaxBytes) {
  m_text.clear();
  if (psz == nullptr) return;
  const size_t bytes = strnlen(psz, nMaxBytes);
  if (bytes == 0 || bytes > 0x7FFFFFFF) return;
  const int byteCount = static_cast<int>(bytes);
  const int chars = ::MultiByteToWideChar(CP_THREAD_ACP, 0, psz, byteCount, nullptr, 0);
  if (chars <= 0) return;
  m_text.resize(static_cast<size_t>(chars));
  const int written = ::MultiByteToWideChar(CP_THREAD_ACP, 0, psz, byteCount, &m_text[0], chars);
  m_text.resize(written > 0 ? static_cast<size_t>(written) : 0);
}

CString& CString::operator=(LPCWSTR psz) {
  // psz may point into this string's own text.
  std::wstring text(psz != nullptr ? psz : L"");
  m_text.swap(text);
  return *this;
}

CString& CString::operator=(LPCSTR psz) {
  AssignNarrow(psz, static_cast<size_t>(-1));
  return *this;
}

CString& CString::operator+=(const CString& str) {
  m_text += str.m_text;
  return *this;
}

CString& CString::operator+=(LPCWSTR psz) {
  if (psz != nullptr) m_text += std::wstring(psz);
  return *this;
}

CString& CString::operator+=(LPCSTR psz) { return *this += CString(psz); }

CString& CString::operator+=(wchar_t ch) {
  m_text += ch;
  return *this;
}

void CString::FormatRaw(LPCWSTR pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  FormatV(pszFormat, args);
  va_end(args);
}

void CString::FormatV(LPCWSTR pszFormat, va_list args) {
  std::wstring text;
  if (pszFormat != nullptr) {
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(pszFormat, measure);
    va_end(measure);
    if (length > 0) {
      // One more for the terminator _vsnwprintf writes when it fits.
      text.resize(static_cast<size_t>(length) + 1);
      const int written = _vsnwprintf(&text[0], text.size(), pszFormat, args);
      text.resize(written > 0 ? static_cast<size_t>(written) : 0);
    }
  }
  m_text.swap(text);  // arguments may point into the old text
}

int CString::Replace(LPCWSTR pszOld, LPCWSTR pszNew) {
  if (pszOld == nullptr || *pszOld == L'\0') return 0;
  const std::wstring oldText(pszOld);
  const std::wstring newText(pszNew != nullptr ? pszNew : L"");
  std::wstring result;
  int count = 0;
  size_t start = 0;
  for (size_t hit = m_text.find(oldText); hit != std::wstring::npos; hit = m_text.find(oldText, start)) {
    result.append(m_text, start, hit - start);
    result += newText;
    start = hit + oldText.size();
    ++count;
  }
  if (count == 0) return 0;
  result.append(m_text, start, std::wstring::npos);
  m_text.swap(result);
  return count;
}

int CString::Delete(int nIndex, int nCount) {
  const size_t count = ClampRange(GetLength(), nIndex, nCount);
  if (count > 0) m_text.erase(static_cast<size_t>(nIndex), count);
  return GetLength();
}

int CString::Find(wchar_t ch, int nStart) const {
  if (nStart < 0 || nStart >= GetLength()) return -1;
  const size_t hit = m_text.find(ch, static_cast<size_t>(nStart));
  return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

int CString::Find(LPCWSTR pszSub, int nStart) const {
  if (pszSub == nullptr || nStart < 0 || nStart > GetLength()) return -1;
  const size_t hit = m_text.find(pszSub, static_cast<size_t>(nStart));
  return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

int CString::ReverseFind(wchar_t ch) const {
  const size_t hit = m_text.rfind(ch);
  return hit == std::wstring::npos ? -1 : static_cast<int>(hit);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
  const size_t count = ClampRange(GetLength(), nFirst, nCount);
  return count == 0 ? CString() : CString(m_text.c_str() + nFirst, static_cast<int>(count));
}

CString CString::Left(int nCount) const { return Mid(0, nCount); }

BOOL CString::LoadString(UINT nID) {
  // With a zero buffer size LoadStringW hands out the resource's own text.
  LPCWSTR text = nullptr;
  const int length = ::LoadStringW(GetResourceModule(), nID, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) {
    m_text.clear();
    return FALSE;
  }
  m_text.assign(text, static_cast<size_t>(length));
  return TRUE;
}

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, LPCWSTR b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(LPCWSTR a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

bool operator==(const CString& a, LPCWSTR b) { return a == CString(b); }
bool operator==(LPCWSTR a, const CString& b) { return b == a; }
bool operator!=(const CString& a, LPCWSTR b) { return !(a == b); }
