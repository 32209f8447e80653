#include "views/processes/ProcessText.h"

#include "native/NativeApi.h"

namespace {

constexpr int64_t kTimeUnitsPerDay = 24LL * 60 * 60 * 1000 * 1000 * 10;

struct ClockTime {
  int hours;
  int minutes;
  int seconds;
  int milliseconds;
};

// RtlTimeToTimeFields reads the count as a date, so whole days fall into the
// date fields; they are counted back into the hours here. A negative count
// (no real processor time) is shown as zero.
ClockTime SplitProcessorTime(int64_t time) {
  if (time < 0) time = 0;
  LARGE_INTEGER value;
  value.QuadPart = time;
  NativeTimeFields fields{};
  g_NativeApi.RtlTimeToTimeFields(&value, &fields);
  const int64_t days = time / kTimeUnitsPerDay;
  return {static_cast<int>(days * 24 + fields.Hour), fields.Minute, fields.Second, fields.Milliseconds};
}

}  // namespace

CString ProcessImageNameText(const ProcessRecord& record) {
  const WCHAR* text = nullptr;
  size_t length = 0;
  switch (record.ImageName(&text, &length)) {
    case ProcessRecord::NameState::kEmpty:
      return L"Idle";
    case ProcessRecord::NameState::kText:
      return CString(text, static_cast<int>(length));
    case ProcessRecord::NameState::kUnreadable:
      break;
  }
  return L"<UNKNOW>";
}

CString PriorityClassName(int32_t basePriority) {
  if (basePriority >= 24) return L"Realtime";
  if (basePriority >= 13) return L"High";
  if (basePriority >= 10) return L"Above Normal";
  if (basePriority >= 8) return L"Normal";
  if (basePriority >= 6) return L"Below Normal";
  return L"Idle";
}

CString RowNumberText(int row) {
  CString text;
  text.Format(L"%4d", row);
  return text;
}

CString DecimalText(int value) {
  CString text;
  text.Format(L"%d", value);
  return text;
}

CString Int64Text(int64_t value) {
  CString text;
  text.Format(L"%I64d", static_cast<long long>(value));
  return text;
}

CString PointerText(ULONG_PTR value) {
  CString text;
  text.Format(L"0x%p", reinterpret_cast<void*>(value));
  return text;
}

CString HexText(uint64_t value) {
  CString text;
  text.Format(L"0x%I64X", static_cast<unsigned long long>(value));
  return text;
}

CString MemoryPairText(uint64_t bytes, uint64_t peakBytes) {
  CString text;
  text.Format(L"%-I64d/%I64d K", static_cast<long long>(bytes >> 10), static_cast<long long>(peakBytes >> 10));
  return text;
}

CString DurationText(int64_t time) {
  const ClockTime clock = SplitProcessorTime(time);
  CString text;
  text.Format(L"%02d:%02d:%02d.%03d", clock.hours, clock.minutes, clock.seconds, clock.milliseconds);
  return text;
}

// Days start at whole multiples of a day from the epoch, so the part past the
// last midnight has the same clock fields as the time itself.
CString TimeOfDayText(int64_t time) { return DurationText(time % kTimeUnitsPerDay); }

CString ProcessorTimesText(int64_t userTime, int64_t kernelTime) {
  return DurationText(userTime) + L"/" + DurationText(kernelTime);
}

CString DetailTabCaption(const CString& name, const CString& processId) {
  CString text;
  text.Format(L"-->%s(%s)", name, processId);
  return text;
}
