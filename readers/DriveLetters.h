// Finding the drive letter whose DOS-device link points at an NT device.
#pragma once

#include "native/NativeApi.h"

// The upper-case letter C..Z whose link "\??\X:" points at `deviceName` (such
// as \Device\HarddiskVolume1, compared ignoring case), or 0 when none does.
WCHAR GetDriveLetterForDevice(const WCHAR* deviceName);

// Reads the target of the symbolic link named by `attributes` into `target`'s
// own buffer; false when it cannot be opened or queried or would overrun it.
bool QuerySymbolicLinkTarget(OBJECT_ATTRIBUTES* attributes, UNICODE_STRING* target);
