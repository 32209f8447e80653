#include "readers/AnswerText.h"

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
