#include "readers/AnswerText.h"

namespace {

constexpr size_t kUnicodeStringBuffer = 8;  // Length (u16) at 0, Buffer at 8

}  // namespace

bool TextInAnswer(ByteSpan answer, ULONG_PTR address, CString* text) {
  const ULONG_PTR base = reinterpret_cast<ULONG_PTR>(answer.Data());
  if (answer.Empty() || address < base || address % sizeof(WCHAR) != 0) return false;
  const size_t start = address - base;
  for (size_t at = start; answer.Contains(at, sizeof(WCHAR)); at += sizeof(WCHAR)) {
    if (answer.U16(at) == 0) {
      *text = CString(reinterpret_cast<LPCWSTR>(answer.Data() + start), static_cast<int>((at - start) / sizeof(WCHAR)));
      return true;
    }
  }
  return false;
}

bool ReadAnswerString(const void* answer, CString* text) {
  const ByteSpan span = SpanOfNativeBuffer(answer);
  if (!span.Contains(0, kUnicodeStringBuffer + sizeof(ULONG_PTR))) return false;
  const size_t length = span.U16(0) & ~static_cast<size_t>(1);
  if (length == 0) {
    *text = CString();
    return true;
  }
  const ULONG_PTR buffer = span.Ptr(kUnicodeStringBuffer);
  const ULONG_PTR base = reinterpret_cast<ULONG_PTR>(span.Data());
  if (buffer < base || !span.Contains(buffer - base, length)) return false;
  *text = CString(reinterpret_cast<const wchar_t*>(buffer), static_cast<int>(length / sizeof(WCHAR)));
  return true;
}
