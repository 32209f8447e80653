// The version name and both reports from exact inputs, then the page under Wine.
#include <windows.h>

#include <algorithm>
#include <cstring>

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

TEST(OsReportTest, NameWithoutThirdPatchGuardBeforeServicePack2AndEverySectionInItsOrder) {
  const OsNameInputs sp1{{0, 5, 2, 77, 2, L"Service Pack 1", 0, 0, 0x82, VER_NT_SERVER, 0},
                         PROCESSOR_ARCHITECTURE_IA64};
  wchar_t name[kOsNameLength] = {};
  BOOL patchGuard3 = FALSE;
  EXPECT_TRUE(ComposeOsName(sp1, name, &patchGuard3));
  EXPECT_EQ(std::wstring(name),
            L"Microsoft Windows Server 2003, Datacenter Edition for Itanium-based Systems Service Pack 1 (Build 77)");
  EXPECT_FALSE(patchGuard3);

  OsReportInputs in;
  in.osName = CString(L"Microsoft Windows Vista (Build 6002)");
  in.patchGuard3 = true;
  in.userName = CString(L"root");
  in.environment[1] = CString(L"TEMP:\t\t\t%TEMP%");
  // 2^31 system calls, and a pool sum that passes 2^32 K wraps as 32-bit counts do.
  in.performance = SystemPerformanceRecord{1, 2, 3, 4, 0xFFFFFFFF, 0x40000000, 0x40000001, 7, 0x80000000};
  in.memory = MemoryStatusRecord{42, 1ull << 32};
  in.pageFiles = std::vector<PageFileRecord>{{L"\\??\\C:\\pagefile.sys", 262144, 1, 0}};
  EXPECT_EQ(BuildOsReport(in),
            CString(L"Operating System INFORMATION:\r\n\r\nVersion: Microsoft Windows Vista (Build 6002)\r\n"
                    L"Kernel Patch Protection Version: Patch Guard 3\r\n\r\nUser name:\t\troot\r\n"
                    L"TEMP:\t\t\t%TEMP%\r\n\r\n\r\nMemory Information:\r\nPhysical Memory:\r\n"
                    L"  Total:\t\t\t4194304 K\r\n  Available: \t\t4 K\r\n  In Use:\t\t\t42%\r\n\r\n"
                    L"Commit Charge:\r\n  Total:\t\t\t8 K\r\n  Limit:\t\t\t12 K\r\n  Peak:\t\t\t16 K\r\n\r\n"
                    L"Kernel Memory:\r\n  Total:\t\t\t4 K\r\n  Paged:\t\t\t0 K\r\n  NonPaged:\t\t4 K\r\n\r\n"
                    L"Totals\r\n  PageFault Count:\t\t4294967295\r\n  Context Switches:\t\t7\r\n"
                    L"  System Calls:\t\t2147483648\r\n\r\nPage File Information:\r\n  C:\\pagefile.sys\r\n"
                    L"  Total Size:\t\t1048576 K(1024 M)\r\n  Total InUse:\t\t4 K(0 M)\r\n"
                    L"  Peak Usage:\t\t0 K(0 M)\r\n\r\n"));
  in.memory.reset();  // its two lines go, the blank line that parts the sections stays
  EXPECT_NE(BuildOsReport(in).Find(L"Physical Memory:\r\n  Available: \t\t4 K\r\n\r\nCommit Charge:\r\n"), -1);
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
  EXPECT_EQ(parse(), CString(L" 0 0 0;"));       // all zero: one empty entry
  entries[0] = {4090, 1, 2, 3, {38, 38, name}};  // the next entry would end past the answer
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

// "GenuineIntel", brand "  Fake CPU". Leaf 1: stepping 3, family 6, extended
// family 2, CLFLUSH 8 (x8), logical 4 without EDX bit 28, APIC 9.
FakeCpu FullCpu() {
  return {{{{0, 0}, {4, 0x756E6547, 0x6C65746E, 0x49656E69}},
           {{1, 0}, {0x00200603, 0x09040800, 0, 0x40100401}},
           {{0x80000000, 0}, {0x80000006, 0, 0, 0}},
           {{0x80000002, 0}, {0x61462020, 0x4320656B, 0x5550, 0}},
           {{0x80000006, 0}, {0, 0, 0x02006040, 0}},
           {{4, 0}, {0xFC000165, 0xFFC00000, 63, 0}}}};  // type 5 level 3, every core and way bit set
}

TEST(CpuReportTest, EverySectionOfAFullTableThenLeafLimitsAndTheDescriptorBound) {
  EXPECT_EQ(FullCpu().Report(),
            CString(L"CPU INFORMATION:\r\n\r\nVendor:\tGenuineIntel\r\nBrand:\t  Fake CPU\r\n\r\n"
                    L"Cache Line Size = 64\r\nL2 Associativity = 6\r\nCache Size = 512K\r\n\r\n"
                    L"Stepping ID = 3\r\nFamily = 6\r\nExtended family = 2\r\nCLFLUSH cache line size = 64\r\n"
                    L"APIC Physical ID = 9\r\n\r\nThe following features are supported:\r\n"
                    L"\tx87 FPU On Chip\r\n\tUnknown1\r\n\tUnknown2\r\n\tUnknown4\r\n\r\nNumber of Cores = 64\r\n"
                    L"\r\n   Type: Unknown\r\n   Level = 3\r\n   Self Initializing\r\n   Is Not Fully Associatve\r\n"
                    L"   Max Threads = 1\r\n   System Line Size = 1\r\n   Physical Line Partions = 1\r\n"
                    L"   Ways of Associativity = 1024\r\n   Number of Sets = 64\r\n"));

  FakeCpu bare = FullCpu();
  bare.table[{0, 0}][0] = 0;  // neither leaf 1 nor extended leaves
  bare.table[{0x80000000, 0}][0] = 0x7FFFFFFF;
  for (uint32_t subleaf = 0; subleaf < 200; ++subleaf) bare.table[{4, subleaf}] = {0x21, 0, 0, 0};
  EXPECT_EQ(bare.Report().Find(L"Stepping"), -1);
  EXPECT_EQ(std::count(bare.asked.begin(), bare.asked.end(), 4u), 64);
}

using Page2Test = GuiFixture;

TEST_F(Page2Test, EveryShowingBuildsBothReportsFromTheSystemWithoutLeaks) {
  EnsureNativeApiBound();
  CPage2 page;
  CWnd host(Host());
  ASSERT_TRUE(page.Create(IDD_PAGE2, &host));
  host.Detach();
  wchar_t saved[2048] = {}, user[256] = {};
  const DWORD home = GetEnvironmentVariableW(L"HOMEPATH", saved, 2048);
  SetEnvironmentVariableW(L"HOMEPATH", std::wstring(1100, L'h').c_str());  // does not fit: left out
  page.ShowWindow(SW_SHOW);
  SetEnvironmentVariableW(L"HOMEPATH", home ? saved : nullptr);

  CString os, cpu;
  page.m_editOs.GetWindowText(os);
  page.m_editCpu.GetWindowText(cpu);
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  EXPECT_EQ(os.Find(L"Operating System INFORMATION:\r\n\r\nVersion: Microsoft "), 0) << os;
  EXPECT_NE(os.Find(CString(L"\r\n\r\nUser name:\t\t") + user + L"\r\n"), -1) << os;
  EXPECT_EQ(os.Find(L"HOMEPATH"), -1) << os;
  EXPECT_EQ(cpu.Find(L"CPU INFORMATION:\r\n\r\nVendor:\t"), 0);
  EXPECT_NE(cpu.Find(L"\r\nThe following features are supported:\r\n\t"), -1) << cpu;

  page.m_editOs.SetWindowText(L"old");
  page.ShowWindow(SW_HIDE);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 100; ++i) {
    page.ShowWindow(SW_SHOW);
    page.ShowWindow(SW_HIDE);
  }
  ExpectNoLeaks(before, TakeLeakCounts());
  page.m_editOs.GetWindowText(os);
  EXPECT_EQ(os.Find(L"Operating System INFORMATION:"), 0);  // each showing rebuilds it
}

}  // namespace
