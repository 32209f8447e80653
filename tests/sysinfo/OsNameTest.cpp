// The version name from version records of every branch.
#include <cwchar>

#include <gtest/gtest.h>

#include "views/sysinfo/OsName.h"

namespace {

struct NameCase {
  DWORD major, minor;
  BYTE productType;
  WORD suite, architecture;
  int serverR2;
  bool hasEdition;
  DWORD edition;
  const wchar_t* csd;
  DWORD build;
  const wchar_t* expected;  // null: not of a known family, FALSE
  BOOL patchGuard3;
};

constexpr WORD kX64 = PROCESSOR_ARCHITECTURE_AMD64, kX86 = PROCESSOR_ARCHITECTURE_INTEL,
               kIa64 = PROCESSOR_ARCHITECTURE_IA64;

const NameCase kCases[] = {
    {6, 0, 1, 0, kX64, 0, true, 1, L"Service Pack 2", 6002,
     L"Microsoft Windows Vista Ultimate Edition, 64-bit Service Pack 2 (Build 6002)", TRUE},
    {6, 0, 1, 0, kX64, 0, true, 5, L"", 6000, L"Microsoft Windows Vista , 64-bit (Build 6000)", TRUE},
    {6, 0, 3, 0, kX86, 0, false, 7, L"", 6001, L"Microsoft Windows Server 2008 , 32-bit (Build 6001)", TRUE},
    {6, 1, 1, 0, kX64, 0, false, 0, L"Service Pack 1", 7601, L"Microsoft  Service Pack 1 (Build 7601)", FALSE},
    {6, 1, 1, 0, kX64, 0, false, 0, L"", 7600, L"Microsoft  (Build 7600)", FALSE},
    {5, 2, 3, 0x2, kX64, 1, false, 0, L"", 3790,
     L"Microsoft Windows Server 2003 R2, Enterprise x64 Edition (Build 3790)", FALSE},
    {5, 2, 3, 0x2010, kX86, 0, false, 0, L"", 3790, L"Microsoft Windows Server 2003,  (Build 3790)", FALSE},
    {5, 2, 3, 0x2000, kX64, 0, false, 0, L"", 3790,
     L"Microsoft Windows Storage Server 2003Standard x64 Edition (Build 3790)", FALSE},
    {5, 2, 1, 0x82, kX64, 0, false, 0, L"Service Pack 2", 3790,
     L"Microsoft Windows XP Professional x64 Edition Service Pack 2 (Build 3790)", TRUE},
    {5, 2, 3, 0x82, kIa64, 0, false, 0, L"Service Pack 1", 3790,
     L"Microsoft Windows Server 2003, Datacenter Edition for Itanium-based Systems Service Pack 1 (Build 3790)", FALSE},
    {5, 1, 1, 0, kX86, 0, false, 0, L"Service Pack 3", 2600, L"Microsoft  Service Pack 3 (Build 2600)", TRUE},
    {5, 1, 1, 0, kX86, 0, false, 0, L"SP!", 2600, L"Microsoft  SP! (Build 2600)", FALSE},  // '!' < '1'
    {4, 0, 1, 0, kX86, 0, false, 0, L"Service Pack 6", 1381, nullptr, FALSE},
};

TEST(OsNameTest, NameAndPatchGuardOfEachVersion) {
  for (const NameCase& c : kCases) {
    OsNameInputs in;
    in.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    in.version.dwMajorVersion = c.major;
    in.version.dwMinorVersion = c.minor;
    in.version.dwBuildNumber = c.build;
    in.version.wProductType = c.productType;
    in.version.wSuiteMask = c.suite;
    wcscpy(in.version.szCSDVersion, c.csd);
    in.processorArchitecture = c.architecture;
    in.serverR2 = c.serverR2;
    in.hasProductType = c.hasEdition;
    in.productType = c.edition;
    wchar_t name[kOsNameLength] = L"untouched";
    BOOL patchGuard3 = FALSE;
    EXPECT_EQ(ComposeOsName(in, name, &patchGuard3), c.expected ? TRUE : FALSE) << c.build;
    EXPECT_STREQ(name, c.expected ? c.expected : L"untouched");
    EXPECT_EQ(patchGuard3, c.patchGuard3) << c.expected;
  }
  OsNameInputs ninetyEight;
  ninetyEight.version.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  ninetyEight.version.dwMajorVersion = 5;
  wchar_t name[kOsNameLength] = L"untouched";
  BOOL patchGuard3 = FALSE;
  EXPECT_FALSE(ComposeOsName(ninetyEight, name, &patchGuard3));
  EXPECT_STREQ(name, L"untouched");
}

}  // namespace
