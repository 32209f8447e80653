#include "views/sysinfo/OsName.h"

#include <cwchar>

#include "framework/CString.h"

namespace {

constexpr DWORD kPlatformNt = 2;
constexpr WORD kSuiteStorageServer = 0x2000;

// Appends as much of text as fits, keeping name terminated.
void AppendBounded(wchar_t* name, const wchar_t* text) {
  size_t length = wcsnlen(name, kOsNameLength - 1);
  for (; *text != L'\0' && length < kOsNameLength - 1; ++text) name[length++] = *text;
  name[length] = L'\0';
}

const wchar_t* ArchitectureText(WORD architecture) {
  if (architecture == PROCESSOR_ARCHITECTURE_AMD64) return L", 64-bit";
  if (architecture == PROCESSOR_ARCHITECTURE_INTEL) return L", 32-bit";
  return L"";
}

void AppendVersion60(const OsNameInputs& in, wchar_t* name) {
  AppendBounded(name, in.version.wProductType == VER_NT_WORKSTATION ? L"Windows Vista " : L"Windows Server 2008 ");
  if (in.hasProductType) AppendBounded(name, ProductEditionText(in.productType));
  AppendBounded(name, ArchitectureText(in.processorArchitecture));
}

const wchar_t* ServerSuiteText(WORD architecture, WORD suite) {
  const bool datacenter = (suite & VER_SUITE_DATACENTER) != 0;
  const bool enterprise = (suite & VER_SUITE_ENTERPRISE) != 0;
  if (architecture == PROCESSOR_ARCHITECTURE_IA64) {
    if (datacenter) return L"Datacenter Edition for Itanium-based Systems";
    return enterprise ? L"Enterprise Edition for Itanium-based Systems" : L"";
  }
  if (architecture == PROCESSOR_ARCHITECTURE_AMD64) {
    if (datacenter) return L"Datacenter x64 Edition";
    return enterprise ? L"Enterprise x64 Edition" : L"Standard x64 Edition";
  }
  return L"";
}

void AppendVersion52(const OsNameInputs& in, wchar_t* name) {
  const bool workstation = in.version.wProductType == VER_NT_WORKSTATION;
  if (in.serverR2 != 0)
    AppendBounded(name, L"Windows Server 2003 R2, ");
  else if (in.version.wSuiteMask == kSuiteStorageServer)
    AppendBounded(name, L"Windows Storage Server 2003");
  else if (workstation && in.processorArchitecture == PROCESSOR_ARCHITECTURE_AMD64)
    AppendBounded(name, L"Windows XP Professional x64 Edition");
  else
    AppendBounded(name, L"Windows Server 2003, ");
  if (!workstation) AppendBounded(name, ServerSuiteText(in.processorArchitecture, in.version.wSuiteMask));
}

}  // namespace

const wchar_t* ProductEditionText(DWORD productType) {
  static const wchar_t* const kEditions[] = {
      L"",
      L"Ultimate Edition",
      L"Home Basic Edition",
      L"Home Premium Edition",
      L"Enterprise Edition",
      L"",
      L"Business Edition",
      L"Standard Edition",
      L"Datacenter Edition",
      L"Small Business Server",
      L"Enterprise Edition",
      L"Starter Edition",
      L"Datacenter Edition (core installation)",
      L"Standard Edition (core installation)",
      L"Enterprise Edition (core installation)",
      L"Enterprise Edition for Itanium-based Systems",
      L"",
      L"Web Server Edition",
      L"Cluster Server Edition",
      L"",
      L"",
      L"",
      L"",
      L"",
      L"",
      L"Small Business Server Premium Edition",
  };
  return productType < sizeof(kEditions) / sizeof(kEditions[0]) ? kEditions[productType] : L"";
}

BOOL ComposeOsName(const OsNameInputs& in, wchar_t* name, BOOL* patchGuard3) {
  const OSVERSIONINFOEXW& v = in.version;
  if (v.dwPlatformId != kPlatformNt || v.dwMajorVersion <= 4) return FALSE;
  name[0] = L'\0';
  AppendBounded(name, L"Microsoft ");
  if (v.dwMajorVersion == 6 && v.dwMinorVersion == 0) {
    *patchGuard3 = TRUE;
    AppendVersion60(in, name);
  } else if (v.dwMajorVersion == 5 && v.dwMinorVersion == 2) {
    AppendVersion52(in, name);
  }

  const size_t csdLength = wcsnlen(v.szCSDVersion, sizeof(v.szCSDVersion) / sizeof(wchar_t));
  if (csdLength != 0) {
    const CString csd(v.szCSDVersion, static_cast<int>(csdLength));
    AppendBounded(name, L" ");
    AppendBounded(name, csd);
    if (csd.GetAt(static_cast<int>(csdLength) - 1) > L'1') *patchGuard3 = TRUE;
  }
  CString build;
  build.Format(L" (Build %d)", static_cast<int>(v.dwBuildNumber));
  AppendBounded(name, build);
  return TRUE;
}

bool ReadOsNameInputs(OsNameInputs* in) {
  *in = OsNameInputs();
  in->version.dwOSVersionInfoSize = sizeof(in->version);
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&in->version))) return false;
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  in->processorArchitecture = system.wProcessorArchitecture;
  in->serverR2 = GetSystemMetrics(SM_SERVERR2);
  if (in->version.dwMajorVersion == 6 && in->version.dwMinorVersion == 0) {
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC proc = kernel ? GetProcAddress(kernel, "GetProductInfo") : nullptr;
    const auto getProductInfo = reinterpret_cast<GetProductInfoFn>(reinterpret_cast<void (*)()>(proc));
    if (getProductInfo && getProductInfo(6, 0, 0, 0, &in->productType)) in->hasProductType = true;
  }
  return true;
}
