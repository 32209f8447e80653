// Finding the drive letter whose DOS-device link points at an NT device.
#pragma once

#include <windows.h>

// The upper-case letter C..Z whose link "\??\X:" points at `deviceName` (such
// as \Device\HarddiskVolume1, compared ignoring case), or 0 when none does.
WCHAR GetDriveLetterForDevice(const WCHAR* deviceName);
