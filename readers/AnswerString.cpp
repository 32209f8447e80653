#include "readers/AnswerString.h"

#include "native/ByteSpan.h"

namespace {

constexpr size_t kUnicodeStringBuffer = 8;  // Length (u16) at 0, Buffer at 8

}  // namespace

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
  *text = CString(reinterpret_cast<const wchar_t*>(buffer), static_cast<int>(length / sizeof(wchar_t)));
  return true;
}
