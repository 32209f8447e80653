// The one-line name of the running Windows version, from the version record
// and the few other answers it depends on.
#pragma once

#include <windows.h>

constexpr size_t kOsNameLength = 1024;  // characters, terminator included

struct OsNameInputs {
  OSVERSIONINFOEXW version{};
  WORD processorArchitecture = 0;
  int serverR2 = 0;             // GetSystemMetrics(SM_SERVERR2)
  bool hasProductType = false;  // GetProductInfo found and succeeded
  DWORD productType = 0;
};

// Writes the name into name[kOsNameLength] (cut to fit, always terminated)
// and sets *patchGuard3 when the version has the third generation of kernel
// patch protection. FALSE, with nothing written or set, for a system that is
// not of the NT family or older than version 5.
BOOL ComposeOsName(const OsNameInputs& inputs, wchar_t* name, BOOL* patchGuard3);

// The edition text of a GetProductInfo product type; "" for types without one.
const wchar_t* ProductEditionText(DWORD productType);

// Reads the inputs from the running system; false when GetVersionExW fails.
bool ReadOsNameInputs(OsNameInputs* inputs);
