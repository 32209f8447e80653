// Path rules that make NT paths readable.
#pragma once

#include "framework/CString.h"
#include "readers/DriveLetters.h"

// Turns an NT device path into a drive-letter path, in place: in a path of
// more than 10 characters, the text before the first backslash at index 10
// or later is the device name, and every occurrence of it is replaced by its
// drive letter and a colon, or removed when no letter points at it. A path
// already in drive-letter form ("X:\..." or "\??\X:\...") is no device path:
// it is only stripped of "\??\".
void DevicePathToDrivePath(CString& path);

// Removes a leading "\??\" (exactly those four characters).
void StripDosDevicesPrefix(CString& path);
