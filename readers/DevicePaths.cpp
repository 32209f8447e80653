#include "readers/DevicePaths.h"

namespace {

// A device name is longer than this; its backslash stands at this index or later.
constexpr int kDeviceNameMinLength = 10;
constexpr int kDosDevicesPrefixLength = 4;

bool IsLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }

// "X:\" at index `at`.
bool HasDriveAt(const CString& path, int at) {
  return path.GetLength() >= at + 3 && IsLetter(path.GetAt(at)) && path.GetAt(at + 1) == L':' &&
         path.GetAt(at + 2) == L'\\';
}

bool HasDosDevicesPrefix(const CString& path) {
  return path.GetLength() >= kDosDevicesPrefixLength && path.GetAt(0) == L'\\' && path.GetAt(1) == L'?' &&
         path.GetAt(2) == L'?' && path.GetAt(3) == L'\\';
}

}  // namespace

void DevicePathToDrivePath(CString& path) {
  // Names the system already gives in drive-letter form (Wine names images
  // and mappings so) would otherwise lose "\??\C:\windows" as a "device".
  if (HasDriveAt(path, 0)) return;
  if (HasDosDevicesPrefix(path) && HasDriveAt(path, kDosDevicesPrefixLength)) {
    path.Delete(0, kDosDevicesPrefixLength);
    return;
  }
  if (path.GetLength() <= kDeviceNameMinLength) return;
  const int deviceEnd = path.Find(L'\\', kDeviceNameMinLength);
  if (deviceEnd < 0) return;

  const CString device = path.Left(deviceEnd);
  const WCHAR letter = GetDriveLetterForDevice(device);
  const WCHAR drive[] = {letter, L':', L'\0'};
  path.Replace(device, letter ? drive : L"");
}

void StripDosDevicesPrefix(CString& path) {
  if (HasDosDevicesPrefix(path)) path.Delete(0, kDosDevicesPrefixLength);
}
