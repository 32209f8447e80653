#include "views/debugout/DebugOutText.h"

float ElapsedSeconds(LONGLONG counts, LONGLONG frequency) {
  return static_cast<float>(counts) / static_cast<float>(frequency);
}

CString MessageNumberText(int number) {
  CString text;
  text.Format(L"%d", number);
  return text;
}

CString CaptureTimeText(const SYSTEMTIME& localTime, float seconds) {
  CString text;
  text.Format(L"[%02d:%02d:%02d.%03d] %10.8f", static_cast<int>(localTime.wHour), static_cast<int>(localTime.wMinute),
              static_cast<int>(localTime.wSecond), static_cast<int>(localTime.wMilliseconds),
              static_cast<double>(seconds));
  return text;
}

CString DebugPrintText(ByteSpan buffer) {
  CString text;
  text.Format(L"[%d] ", static_cast<int>(buffer.U32(0)));
  const ByteSpan message = buffer.From(kDBWinTextOffset);
  text += CString(reinterpret_cast<LPCSTR>(message.Data()), static_cast<int>(message.Size()));
  return text;
}
