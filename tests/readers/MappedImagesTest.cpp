// The address-space walk against 64- and 32-bit children that map files (a
// size that would jump past the next mapping is not taken), and against a fake
// address space for names, counts and statuses Wine cannot show.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "native/NativeOwners.h"
#include "readers/MappedImages.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

using Row = std::tuple<ULONGLONG, ULONG, std::wstring>;  // base, size, name

// Copies the records out and frees them and the list, as the page does.
std::vector<Row> TakeRows(MappedImageList* list) {
  std::vector<Row> rows;
  for (ULONG i = 0; list && i < list->Count; ++i) {
    rows.emplace_back(list->Records()[i]->Base, list->Records()[i]->Size, list->Records()[i]->Name);
    FreeNativeBuffer(list->Records()[i]);
  }
  if (list) FreeNativeBuffer(list);
  return rows;
}

const Row* FindRow(const std::vector<Row>& rows, const std::wstring& tail) {
  for (const Row& row : rows) {
    const std::wstring& name = std::get<2>(row);
    if (name.size() >= tail.size() && _wcsicmp(name.c_str() + name.size() - tail.size(), tail.c_str()) == 0)
      return &row;
  }
  return nullptr;
}

TEST(MappedImagesTest, ChildrenListTheirImagesAndAViewWithTheMappingRightAfterIt) {
  EnsureNativeApiBound();
  wchar_t folder[MAX_PATH] = {};
  const std::wstring temp(folder, GetTempPathW(MAX_PATH, folder));
  const std::wstring big = temp + L"halvern_map_big.dat", small = temp + L"halvern_map_small.dat";
  for (const auto& [path, size] : {std::pair{&big, 0x100000}, std::pair{&small, 5000}}) {
    HANDLE file = CreateFileW(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string bytes(size, 'x');  // written: a sparse file takes no space on disk
    DWORD written = 0;
    WriteFile(file, bytes.data(), size, &written, nullptr);
    CloseHandle(file);
  }
  for (bool wow64 : {false, true}) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(wow64, L"--map \"" + big + L"\" --map \"" + small + L"\" --wait"));
    const std::vector<Row> rows = TakeRows(EnumProcessImagesById(child.Pid()));
    ASSERT_GE(rows.size(), 4u) << wow64;
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(std::get<0>(rows[i - 1]), std::get<0>(rows[i]));
    EXPECT_LT(std::get<0>(rows.back()), wow64 ? 0x7FFEFFFFull : 0x7FFFFFEFFFFull);
    const Row* exe = FindRow(rows, wow64 ? L"\\helper32.exe" : L"\\helper64.exe");
    const Row* view = FindRow(rows, L"\\halvern_map_big.dat");
    const Row* next = FindRow(rows, L"\\halvern_map_small.dat");
    ASSERT_TRUE(exe && view && next && FindRow(rows, L"\\ntdll.dll")) << wow64;
    EXPECT_NE(0u, std::get<1>(*exe));
    EXPECT_EQ(0x100000u, std::get<1>(*view));  // the file's allocation, not the 64 KiB view
    EXPECT_EQ(0x2000u, std::get<1>(*next));
    EXPECT_EQ(std::get<0>(*view) + 0x10000, std::get<0>(*next));
  }
  DeleteFileW(big.c_str());
  DeleteFileW(small.c_str());
}

// A fake address space of mapped files without image headers, in ascending
// order with free space between them. Region queries in the free space from
// 0x20000 to 0x50000 fail with g_failStatus.
enum class NameForm { kText, kAfterOtherBytes, kOddLength, kOutsideBuffer };
struct FakeRegion {
  ULONG_PTR base;
  std::wstring name;
  NameForm form;
};
constexpr ULONG_PTR kTop = 0x7FFFFFF0000, kRegionSize = 0x10000;

std::vector<FakeRegion> g_regions;
std::vector<ULONG_PTR> g_basicQueries;
NTSTATUS g_failStatus = 0;

NTSTATUS NTAPI FakeQuery(HANDLE, PVOID at, ULONG infoClass, PVOID buffer, SIZE_T size, PSIZE_T) {
  const auto address = reinterpret_cast<ULONG_PTR>(at);
  const FakeRegion* region = nullptr;
  ULONG_PTR end = kTop;
  for (const FakeRegion& r : g_regions) {
    if (address - r.base < kRegionSize) region = &r;
    if (r.base > address && r.base < end) end = r.base;
  }
  if (infoClass == 0) {
    g_basicQueries.push_back(address);
    if (g_failStatus && address >= 0x20000 && address < 0x50000) return g_failStatus;
    MEMORY_BASIC_INFORMATION info{};
    info.BaseAddress = info.AllocationBase = reinterpret_cast<PVOID>(region ? region->base : address & ~0xFFFull);
    info.RegionSize = region ? kRegionSize : end - (address & ~0xFFFull);
    info.Protect = region ? PAGE_READONLY : PAGE_NOACCESS;
    info.Type = region ? MEM_MAPPED : 0;
    std::memcpy(buffer, &info, sizeof(info));
    return 0;
  }
  if (!region) return static_cast<NTSTATUS>(0xC0000141);
  BYTE* answer = static_cast<BYTE*>(buffer);
  std::memset(answer, 0xAB, size);
  const USHORT length = static_cast<USHORT>(region->name.size() * 2 + (region->form == NameForm::kOddLength));
  const bool outside = region->form == NameForm::kOutsideBuffer;
  BYTE* inside = answer + (region->form == NameForm::kAfterOtherBytes ? 100 : 16);
  const ULONG_PTR text = reinterpret_cast<ULONG_PTR>(outside ? static_cast<const void*>(region->name.data()) : inside);
  std::memcpy(answer, &length, 2);
  std::memcpy(answer + 8, &text, 8);
  if (!outside) std::memcpy(inside, region->name.data(), length & ~1);
  return 0;
}

class FakeSpaceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
  void SetUp() override { g_failStatus = 0; }
  std::vector<Row> Walk() { return TakeRows(EnumProcessImages(NtCurrentProcessHandle())); }

  ScopedSlotOverride<PFN_NtQueryVirtualMemory> m_query{g_NativeApi.NtQueryVirtualMemory, &FakeQuery};
  ScopedSlotOverride<PFN_NtReadVirtualMemory> m_read{
      g_NativeApi.NtReadVirtualMemory,
      [](HANDLE, PVOID, PVOID, SIZE_T, PSIZE_T) -> NTSTATUS { return kStatusAccessDenied; }};
  ScopedSlotOverride<PFN_NtOpenFile> m_open{
      g_NativeApi.NtOpenFile, [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG) -> NTSTATUS {
        return kStatusObjectNameNotFound;
      }};
};

// Names are compared by their last 12 units; nothing outside the name is read.
TEST_F(FakeSpaceTest, NamesThatCannotBeReadOrRunTooLong) {
  const std::wstring name299 = std::wstring(294, L'x') + L"c.dll", name300 = L"y" + name299;
  g_regions = {{0x10000, L"a.dll", NameForm::kText},
               {0x20000, L"a.dll", NameForm::kAfterOtherBytes},  // the same name: not listed again
               {0x30000, L"\\Device\\F\\odd.dat", NameForm::kOddLength},
               {0x40000, L"\\Device\\F\\outside.dat", NameForm::kOutsideBuffer},
               {0x50000, name300, NameForm::kText},
               {0x60000, name299, NameForm::kText}};
  g_basicQueries.clear();
  EXPECT_EQ(Walk(), (std::vector<Row>{{0x10000, 0, L"a.dll"}, {0x60000, 0, name299}}));
  EXPECT_LT(g_basicQueries.size(), 20u);
}

TEST_F(FakeSpaceTest, ListGrowsPast511WithoutLeaks) {
  g_regions.clear();
  for (ULONG_PTR i = 0; i < 1500; ++i)
    g_regions.push_back(
        {kRegionSize * (i + 1), i % 2 ? L"\\Device\\F\\odd.dat" : L"\\Device\\F\\even.dat", NameForm::kText});
  Walk();
  const LeakCounts before = TakeLeakCounts();
  const std::vector<Row> rows = Walk();
  ASSERT_EQ(1500u, rows.size());
  EXPECT_EQ(kRegionSize * 1500, std::get<0>(rows.back()));
  ExpectNoLeaks(before, TakeLeakCounts());
}

// A denied, ended or invalid process ends the walk at once; other failures are skipped.
TEST_F(FakeSpaceTest, StatusesThatDoNotDependOnTheAddressEndTheWalk) {
  g_regions = {{0x10000, L"\\Device\\F\\first.dat", NameForm::kText},
               {0x50000, L"\\Device\\F\\late.dat", NameForm::kText}};
  for (ULONG status : {0xC0000008, 0xC000010A, 0xC0000022, 0xC000000D}) {
    g_basicQueries.clear();
    g_failStatus = static_cast<NTSTATUS>(status);
    const bool ends = status != 0xC000000D;
    EXPECT_EQ(Walk().size(), ends ? 1u : 2u) << std::hex << status;
    EXPECT_TRUE(!ends || g_basicQueries.size() == 2) << std::hex << status;
  }
}

}  // namespace
