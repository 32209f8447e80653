#include "readers/DriveLetters.h"

#include "native/NativeOwners.h"

namespace {

constexpr ACCESS_MASK kSymbolicLinkQuery = 0x0001;
constexpr ULONG kObjCaseInsensitive = 0x00000040;
// The link target is read into 256 units, announced as 255.
constexpr USHORT kTargetCapacityBytes = 510;
constexpr size_t kLetterIndex = 4;  // the X in "\??\X:"

// True when the link named by `attributes` opens and points at `device`.
bool LinkPointsTo(OBJECT_ATTRIBUTES* attributes, const UNICODE_STRING& device) {
  WCHAR targetText[256] = {};
  UNICODE_STRING target{0, kTargetCapacityBytes, targetText};
  return QuerySymbolicLinkTarget(attributes, &target) &&
         g_NativeApi.RtlCompareUnicodeString(&device, &target, TRUE) == 0;
}

}  // namespace

bool QuerySymbolicLinkTarget(OBJECT_ATTRIBUTES* attributes, UNICODE_STRING* target) {
  HANDLE opened = nullptr;
  // A failed open hands out no handle, whatever the slot holds.
  if (!NtSuccess(g_NativeApi.NtOpenSymbolicLinkObject(&opened, kSymbolicLinkQuery, attributes))) return false;
  UniqueNtHandle link(opened);
  if (!link) return false;
  const USHORT capacity = target->MaximumLength;
  const NTSTATUS status = g_NativeApi.NtQuerySymbolicLinkObject(link.Get(), target, nullptr);
  // A Length beyond the buffer would make whoever reads the text run past it.
  return NtSuccess(status) && target->Length <= capacity;
}

WCHAR GetDriveLetterForDevice(const WCHAR* deviceName) {
  UNICODE_STRING device{};
  g_NativeApi.RtlInitUnicodeString(&device, deviceName);

  WCHAR linkText[] = L"\\??\\C:";
  UNICODE_STRING linkName{12, 14, linkText};
  OBJECT_ATTRIBUTES attributes{};
  static_assert(sizeof(OBJECT_ATTRIBUTES) == 48, "64-bit OBJECT_ATTRIBUTES");
  attributes.Length = sizeof(attributes);
  attributes.ObjectName = &linkName;
  attributes.Attributes = kObjCaseInsensitive;

  // A: and B: are floppy letters and never tried.
  for (WCHAR letter = L'C'; letter <= L'Z'; ++letter) {
    linkText[kLetterIndex] = letter;
    if (LinkPointsTo(&attributes, device)) return letter;
  }
  return 0;
}
