// The version name and both reports from exact inputs, then the page under
// Wine: both reports from the running system on every showing, no leaks.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/CStringPrinter.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/sysinfo/CPage2.h"
#include "views/sysinfo/CpuReport.h"
#include "views/sysinfo/OsName.h"
#include "views/sysinfo/OsReport.h"

namespace {

constexpr WORD kX64 = PROCESSOR_ARCHITECTURE_AMD64, kX86 = PROCESSOR_ARCHITECTURE_INTEL,
               kIa64 = PROCESSOR_ARCHITECTURE_IA64;

TEST(OsNameTest, NameAndPatchGuardOfEachVersion) {
  const struct {
    DWORD major, minor, productType, suite, architecture, serverR2;
    int edition;                    // -1: no product type
    const wchar_t *csd, *expected;  // expected null: not a known family
    BOOL patchGuard3;
  } cases[] = {
      // the names between "Microsoft " and " (Build 77)"
      {6, 0, 1, 0, kX64, 0, 1, L"Service Pack 2", L"Windows Vista Ultimate Edition, 64-bit Service Pack 2", TRUE},
      {5, 2, 3, 0x2, kX64, 1, -1, L"", L"Windows Server 2003 R2, Enterprise x64 Edition", FALSE},
      {5, 2, 1, 0x82, kX64, 0, -1, L"Service Pack 2", L"Windows XP Professional x64 Edition Service Pack 2", TRUE},
      {5, 2, 3, 0x82, kIa64, 0, -1, L"Service Pack 1",
       L"Windows Server 2003, Datacenter Edition for Itanium-based Systems Service Pack 1", FALSE},
      {4, 0, 1, 0, kX86, 0, -1, L"Service Pack 6", nullptr, FALSE},
  };
  for (const auto& c : cases) {
    OsNameInputs in;
    in.version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    in.version.dwMajorVersion = c.major;
    in.version.dwMinorVersion = c.minor;
    in.version.dwBuildNumber = 77;
    in.processorArchitecture = WORD(c.architecture);
    in.serverR2 = int(c.serverR2);
    in.hasProductType = c.edition >= 0;
    in.productType = DWORD(c.edition);
    wcscpy(in.version.szCSDVersion, c.csd);
    in.version.wProductType = BYTE(c.productType);
    in.version.wSuiteMask = WORD(c.suite);
    wchar_t name[kOsNameLength] = L"untouched";
    BOOL patchGuard3 = FALSE;
    EXPECT_EQ(ComposeOsName(in, name, &patchGuard3), c.expected ? TRUE : FALSE) << c.csd;
    EXPECT_EQ(std::wstring(name),
              c.expected ? L"Microsoft " + std::wstring(c.expected) + L" (Build 77)" : L"untouched");
    EXPECT_EQ(patchGuard3, c.patchGuard3) << c.csd;
  }
}

TEST(OsReportTest, EverySectionInItsOrderAndMissingAnswersLeftOut) {
  OsReportInputs in;
  in.osName = CString(L"Microsoft Windows Vista (Build 6002)");
  in.patchGuard3 = true;
  in.userName = CString(L"root");
  in.computerName = CString(L"VM");
  in.wow64Directory = CString(L"C:\\windows\\syswow64");
  in.environment[1] = CString(L"TEMP:\t\t\t%TEMP%");
  in.basic = SystemBasicRecord{0, 4096, 0x100000, 1, 0x100001, 65536, 0x10000, 0x7FFFFFEFFFF, 0xF00000000F, -2};
  // 2^31 system calls, and a pool sum that passes 2^32 K wraps as 32-bit counts do.
  in.performance = SystemPerformanceRecord{1, 2, 3, 4, 0xFFFFFFFF, 0x40000000, 0x40000001, 7, 0x80000000};
  in.memory = MemoryStatusRecord{42, 1ull << 32};
  in.devices = SystemDeviceRecord{2, 1, 0, 3};
  in.pageFiles = std::vector<PageFileRecord>{{L"\\??\\C:\\pagefile.sys", 262144, 1, 0}};
  EXPECT_EQ(BuildOsReport(in),
            CString(L"Operating System INFORMATION:\r\n\r\n"
                    L"Version: Microsoft Windows Vista (Build 6002)\r\n"
                    L"Kernel Patch Protection Version: Patch Guard 3\r\n\r\n"
                    L"User name:\t\troot\r\nComputer name:\t\tVM\r\nWow64 Directory:\t\tC:\\windows\\syswow64\r\n"
                    L"TEMP:\t\t\t%TEMP%\r\n\r\n"
                    L"Page Size:\t\t0x1000(4096 Bytes)\r\nAllocation Granularity:\t0x10000(64 K)\r\n"
                    L"TimerResolution:\t\t0\r\nPhysical Pages:\t\t0x100000(1048576)\r\n"
                    L"Lowest PhysicalPage #:\t1\r\nHighest PhysicalPage #:\t1048577\r\n"
                    L"Min UserMode Address:\t0x0000000000010000\r\nMax UserMode Address:\t0x000007FFFFFEFFFF\r\n"
                    L"Number Of Processors:\t-2\r\nActive Processors Mask:\t0xf00000000f\r\n"
                    L"\r\nMemory Information:\r\nPhysical Memory:\r\n  Total:\t\t\t4194304 K\r\n"
                    L"  Available: \t\t4 K\r\n  In Use:\t\t\t42%\r\n\r\n"
                    L"Commit Charge:\r\n  Total:\t\t\t8 K\r\n  Limit:\t\t\t12 K\r\n  Peak:\t\t\t16 K\r\n\r\n"
                    L"Kernel Memory:\r\n  Total:\t\t\t4 K\r\n  Paged:\t\t\t0 K\r\n  NonPaged:\t\t4 K\r\n\r\n"
                    L"Totals\r\n  PageFault Count:\t\t4294967295\r\n  Context Switches:\t\t7\r\n"
                    L"  System Calls:\t\t2147483648\r\n"
                    L"\r\nDevice Information:\r\n  Number Of Disks:\t\t2\r\n  Number Of CdRoms:\t1\r\n"
                    L"  Number Of SerialPorts:\t0\r\n  Number Of ParallelPorts:\t3\r\n"
                    L"\r\nPage File Information:\r\n  C:\\pagefile.sys\r\n"
                    L"  Total Size:\t\t1048576 K(1024 M)\r\n  Total InUse:\t\t4 K(0 M)\r\n"
                    L"  Peak Usage:\t\t0 K(0 M)\r\n\r\n"));

  in.memory.reset();  // its two lines go, the blank line that parts the sections stays
  EXPECT_NE(BuildOsReport(in).Find(L"Physical Memory:\r\n  Available: \t\t4 K\r\n\r\nCommit Charge:\r\n"), -1);
  EXPECT_EQ(
      BuildOsReport(OsReportInputs()),
      CString(L"Operating System INFORMATION:\r\n\r\nKernel Patch Protection Version: Patch Guard 2\r\n\r\n\r\n"));
}

TEST(OsReportTest, PageFileChainAndNamesStayInsideTheAnswer) {
  struct Entry {  // the answer's layout
    uint32_t next, total, inUse, peak;
    UNICODE_STRING name;
  };
  alignas(8) BYTE answer[4096] = {};
  auto* entries = reinterpret_cast<Entry*>(answer);
  auto* name = reinterpret_cast<wchar_t*>(answer + 0x200);
  std::wcscpy(name, L"\\??\\C:\\pagefile.sys");
  std::memcpy(answer + 0xFF8, L"ABCD", 8);
  const auto parse = [&] {
    CString files, file;
    for (const PageFileRecord& f : ParsePageFiles(ByteSpan(answer, sizeof(answer))))
      files += f.name + (file.Format(L" %u %u %u;", f.totalPages, f.pagesInUse, f.peakPages), file);
    return files;
  };
  EXPECT_EQ(parse(), CString(L" 0 0 0;"));  // all zero: one empty entry
  entries[0] = {64, 1, 2, 3, {38, 38, name}};
  entries[2] = {0, 4, 5, 6, {24, 24, name + 7}};
  EXPECT_EQ(parse(), CString(L"\\??\\C:\\pagefile.sys 1 2 3;pagefile.sys 4 5 6;"));
  entries[0].next = 4090;  // past the answer
  EXPECT_EQ(parse(), CString(L"\\??\\C:\\pagefile.sys 1 2 3;"));
  entries[0] = {32, 1, 2, 3, {8, 8, reinterpret_cast<PWSTR>(0xDEAD0000)}};  // outside; cut at the end
  entries[1] = {0, 4, 5, 6, {100, 100, reinterpret_cast<PWSTR>(answer + 0xFF8)}};
  EXPECT_EQ(parse(), CString(L" 1 2 3;ABCD 4 5 6;"));
}

// CPUID answers from a table (zeros elsewhere); every query is recorded.
struct FakeCpu {
  std::map<std::pair<uint32_t, uint32_t>, std::vector<uint32_t>> table;
  std::vector<uint32_t> asked = {};
  CString Report() {
    return BuildCpuReport([this](uint32_t regs[4]) {
      asked.push_back(regs[0]);
      const auto it = table.find({regs[0], regs[2]});
      for (int i = 0; i < 4; ++i) regs[i] = it == table.end() ? 0 : it->second[i];
    });
  }
};

uint32_t Text4(const char* text) {
  uint32_t word = 0;
  std::memcpy(&word, text, 4);
  return word;
}

// "GenuineIntel", brand "  Fake CPU". Leaf 1: stepping 3, family 6, extended
// family 2, CLFLUSH 8 (x8), logical 4 without EDX bit 28, APIC 9.
FakeCpu FullCpu() {
  return {{{{0, 0}, {4, Text4("Genu"), Text4("ntel"), Text4("ineI")}},
           {{1, 0}, {0x00200603, 0x09040800, 0x300, 0x40100401}},
           {{0x80000000, 0}, {0x8000001A, 0, 0, 0}},
           {{0x80000001, 0}, {0, 0, 0x1001, 0x80000800}},
           {{0x80000002, 0}, {Text4("  Fa"), Text4("ke C"), Text4("PU\0\0"), 0}},
           {{0x80000006, 0}, {0, 0, 0x02006040, 0}},
           {{0x8000000A, 0}, {0, 0, 0, 0x2}},
           {{0x8000001A, 0}, {0x1, 0, 0, 0}},
           {{4, 0}, {0xFC000121, 0, 63, 0}},            // level 1 data cache, every core bit set
           {{4, 1}, {0x00000065, 0xFFC00000, 0, 0}}}};  // type 5, every way bit set
}

TEST(CpuReportTest, EverySectionOfAFullTable) {
  EXPECT_EQ(
      FullCpu().Report(),
      CString(L"CPU INFORMATION:\r\n\r\nVendor:\tGenuineIntel\r\nBrand:\t  Fake CPU\r\n\r\n"
              L"Cache Line Size = 64\r\nL2 Associativity = 6\r\nCache Size = 512K\r\n\r\n"
              L"Stepping ID = 3\r\nFamily = 6\r\nExtended family = 2\r\nCLFLUSH cache line size = 64\r\n"
              L"APIC Physical ID = 9\r\n\r\nThe following features are supported:\r\n"
              L"\tThermal Monitor 2\r\n\tSupplemental Streaming SIMD Extensions 3\r\n"
              L"\tx87 FPU On Chip\r\n\tUnknown1\r\n\tUnknown2\r\n\tUnknown4\r\n"
              L"\tLAHF/SAHF in 64-bit mode\r\n\tSKINIT and DEV support\r\n"
              L"\tSYSCALL/SYSRET in 64-bit mode\r\n\t3Dnow! instructions\r\n"
              L"\tLBR Visualization\r\n\tFP128 optimization\r\n\r\nNumber of Cores = 64\r\n"
              L"\r\n   Type: Data Cache\r\n   Level = 1\r\n   Self Initializing\r\n   Is Not Fully Associatve\r\n"
              L"   Max Threads = 1\r\n   System Line Size = 1\r\n   Physical Line Partions = 1\r\n"
              L"   Ways of Associativity = 1\r\n   Number of Sets = 64\r\n"
              L"\r\n   Type: Unknown\r\n   Level = 3\r\n   Not Self Initializing\r\n   Is Not Fully Associatve\r\n"
              L"   Max Threads = 1\r\n   System Line Size = 1\r\n   Physical Line Partions = 1\r\n"
              L"   Ways of Associativity = 1024\r\n   Number of Sets = 1\r\n"));
}

TEST(CpuReportTest, LeafLimitsTheLogicalCountAndTheBoundedDescriptorWalk) {
  FakeCpu bare = FullCpu();
  bare.table[{0, 0}][0] = 0;  // neither leaf 1 nor extended leaves
  bare.table[{0x80000000, 0}][0] = 0x7FFFFFFF;
  const CString report = bare.Report();
  EXPECT_EQ(report.Find(L"Stepping"), -1);
  EXPECT_EQ(report.Find(L"Brand"), -1);
  EXPECT_NE(report.Find(L"Number of Cores = 64"), -1);  // leaf 4 whatever the limits
  for (uint32_t leaf : bare.asked) EXPECT_TRUE(leaf == 0 || leaf == 4 || leaf == 0x80000000) << leaf;

  FakeCpu cpu = FullCpu();
  cpu.table[{1, 0}][3] |= 1u << 28;
  for (uint32_t subleaf = 0; subleaf < 200; ++subleaf) cpu.table[{4, subleaf}] = {0x21, 0, 0, 0};
  EXPECT_NE(cpu.Report().Find(L"Logical Processor Count = 4\r\n"), -1);
  EXPECT_EQ(std::count(cpu.asked.begin(), cpu.asked.end(), 4u), 64);
}

CString Text(const CWnd& edit) {
  CString text;
  edit.GetWindowText(text);
  return text;
}

using Page2Test = GuiFixture;

TEST_F(Page2Test, EveryShowingBuildsBothReportsFromTheSystemWithoutLeaks) {
  EnsureNativeApiBound();
  CPage2 page;
  CWnd host(Host());
  ASSERT_TRUE(page.Create(IDD_PAGE2, &host));
  host.Detach();
  wchar_t saved[2048] = {};
  const DWORD home = GetEnvironmentVariableW(L"HOMEPATH", saved, 2048);
  SetEnvironmentVariableW(L"HOMEPATH", std::wstring(1100, L'h').c_str());  // does not fit: left out
  page.ShowWindow(SW_SHOW);
  SetEnvironmentVariableW(L"HOMEPATH", home ? saved : nullptr);

  const CString os = Text(page.m_editOs), cpu = Text(page.m_editCpu);
  wchar_t user[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(os.Find(L"Operating System INFORMATION:\r\n\r\nVersion: Microsoft "), 0) << os;
  EXPECT_NE(os.Find(CString(L"\r\n\r\nUser name:\t\t") + user + L"\r\n"), -1) << os;
  EXPECT_EQ(os.Find(L"HOMEPATH"), -1) << os;
  EXPECT_NE(os.Find(L"\r\nMemory Information:\r\nPhysical Memory:\r\n  Total:"), -1) << os;
  EXPECT_EQ(cpu.Find(L"CPU INFORMATION:\r\n\r\nVendor:\t"), 0);
  EXPECT_GT(cpu.Find(L"\r\n", 22), 28) << cpu;  // a vendor stands there
  EXPECT_NE(cpu.Find(L"\r\nThe following features are supported:\r\n\t"), -1) << cpu;

  page.m_editOs.SetWindowText(L"old");
  page.ShowWindow(SW_HIDE);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    page.ShowWindow(SW_SHOW);
    page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());
  EXPECT_EQ(Text(page.m_editOs).Find(L"Operating System INFORMATION:"), 0);  // each showing rebuilds it
  page.DestroyWindow();
}

}  // namespace
