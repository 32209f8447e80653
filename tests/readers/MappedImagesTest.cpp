// The address-space walk against 64- and 32-bit children that map files, and
// against a fake address space for the stepping rules Wine cannot show.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "native/NativeOwners.h"
#include "readers/MappedImages.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"

namespace {

struct Row {
  ULONGLONG base;
  ULONG size;
  std::wstring name;
  bool operator==(const Row& other) const { return base == other.base && size == other.size && name == other.name; }
};
void PrintTo(const Row& row, std::ostream* os) {
  *os << std::hex << row.base << "/" << row.size << "/" << std::string(row.name.begin(), row.name.end());
}

// Copies the records out and frees them and the list, as the page does.
std::vector<Row> TakeRows(MappedImageList* list) {
  std::vector<Row> rows;
  for (ULONG i = 0; list && i < list->Count; ++i) {
    rows.push_back({list->Records()[i]->Base, list->Records()[i]->Size, list->Records()[i]->Name});
    FreeNativeBuffer(list->Records()[i]);
  }
  if (list) FreeNativeBuffer(list);
  return rows;
}

const Row* FindRow(const std::vector<Row>& rows, const std::wstring& tail) {
  for (const Row& row : rows)
    if (row.name.size() >= tail.size() && _wcsicmp(row.name.c_str() + row.name.size() - tail.size(), tail.c_str()) == 0)
      return &row;
  return nullptr;
}

// Written, not just extended: a sparse file takes no space on disk.
std::wstring WriteTempFile(const wchar_t* name, size_t size) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  const std::string bytes(size, 'x');
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
  return path;
}

TEST(MappedImagesTest, ChildrenListTheirImagesAndAViewWithTheMappingRightAfterIt) {
  EnsureNativeApiBound();
  const std::wstring big = WriteTempFile(L"halvern_map_big.dat", 0x100000);
  const std::wstring small = WriteTempFile(L"halvern_map_small.dat", 5000);
  for (bool wow64 : {false, true}) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(wow64, L"--map \"" + big + L"\" --map \"" + small + L"\" --wait"));
    EXPECT_TRUE(wow64 || !EnumWow64ProcessImages(child.Handle()));
    const std::vector<Row> rows = TakeRows(EnumProcessImagesById(child.Pid()));
    ASSERT_GE(rows.size(), 4u) << wow64;
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].base, rows[i].base);
    EXPECT_LT(rows.back().base, wow64 ? 0x7FFEFFFFull : 0x7FFFFFEFFFFull);
    const Row* exe = FindRow(rows, wow64 ? L"\\helper32.exe" : L"\\helper64.exe");
    const Row* view = FindRow(rows, L"\\halvern_map_big.dat");
    const Row* next = FindRow(rows, L"\\halvern_map_small.dat");
    ASSERT_TRUE(exe && view && next && FindRow(rows, L"\\ntdll.dll")) << wow64;
    EXPECT_NE(0u, exe->size);
    EXPECT_EQ(0x100000u, view->size);  // the file's allocation, not the 64 KiB view
    EXPECT_EQ(0x2000u, next->size);
    EXPECT_EQ(view->base + 0x10000, next->base);
  }
  EXPECT_EQ(nullptr, EnumProcessImages(nullptr));
  DeleteFileW(big.c_str());
  DeleteFileW(small.c_str());
}

// A fake address space: regions in ascending order, free space between them.
enum class NameForm { kNone, kText, kOddLength, kOutsideBuffer };
struct FakeRegion {
  ULONG_PTR base, size, allocationBase;
  ULONG type;
  std::wstring name;
  NameForm form;
  ULONG sizeOfImage;  // 0: no image headers
  size_t textOffset;  // where the text goes in the answer; junk before it
};
constexpr ULONG_PTR kTop = 0x7FFFFFF0000;

std::vector<FakeRegion> g_regions;
std::vector<ULONG_PTR> g_basicQueries;
NTSTATUS g_failStatus = 0;
ULONG_PTR g_failFrom = kTop, g_failTo = kTop;

const FakeRegion* RegionAt(ULONG_PTR address) {
  for (const FakeRegion& region : g_regions)
    if (address >= region.base && address - region.base < region.size) return &region;
  return nullptr;
}

NTSTATUS NTAPI FakeQuery(HANDLE, PVOID at, ULONG infoClass, PVOID buffer, SIZE_T size, PSIZE_T) {
  const auto address = reinterpret_cast<ULONG_PTR>(at);
  const FakeRegion* region = RegionAt(address);
  if (infoClass == 0) {
    g_basicQueries.push_back(address);
    if (address >= g_failFrom && address < g_failTo) return g_failStatus;
    ULONG_PTR end = kTop;
    for (const FakeRegion& r : g_regions)
      if (r.base > address && r.base < end) end = r.base;
    MEMORY_BASIC_INFORMATION info{};
    info.BaseAddress = reinterpret_cast<PVOID>(region ? region->base : address & ~0xFFFull);
    info.AllocationBase = reinterpret_cast<PVOID>(region ? region->allocationBase : 0);
    info.RegionSize = region ? region->size : end - (address & ~0xFFFull);
    info.Protect = region ? PAGE_READONLY : PAGE_NOACCESS;
    info.Type = region ? region->type : 0;
    std::memcpy(buffer, &info, sizeof(info));
    return 0;
  }
  if (!region || region->form == NameForm::kNone) return static_cast<NTSTATUS>(0xC0000141);
  BYTE* answer = static_cast<BYTE*>(buffer);
  std::memset(answer, 0xAB, size);
  const USHORT length = static_cast<USHORT>(region->name.size() * 2 + (region->form == NameForm::kOddLength));
  const bool outside = region->form == NameForm::kOutsideBuffer;
  const ULONG_PTR text = reinterpret_cast<ULONG_PTR>(outside ? static_cast<const void*>(region->name.data())
                                                             : answer + region->textOffset);
  std::memcpy(answer, &length, 2);
  std::memcpy(answer + 8, &text, 8);
  if (!outside) std::memcpy(answer + region->textOffset, region->name.data(), length & ~1);
  return 0;
}

// Image headers with the region's SizeOfImage, where it has one.
NTSTATUS NTAPI FakeRead(HANDLE, PVOID at, PVOID buffer, SIZE_T size, PSIZE_T) {
  const auto address = reinterpret_cast<ULONG_PTR>(at);
  const FakeRegion* region = RegionAt(address & ~0xFFFull);
  if (!region || region->sizeOfImage == 0) return static_cast<NTSTATUS>(0x8000000D);
  std::memset(buffer, 0, size);
  const bool dos = address == region->allocationBase;
  const DWORD values[2] = {dos ? DWORD{IMAGE_DOS_SIGNATURE} : DWORD{IMAGE_NT_SIGNATURE},
                           dos ? DWORD{0x80} : region->sizeOfImage};
  std::memcpy(buffer, &values[0], dos ? 2 : 4);
  std::memcpy(static_cast<BYTE*>(buffer) + (dos ? 0x3C : 0x50), &values[1], 4);
  return 0;
}

class FakeSpaceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
  void SetUp() override {
    g_basicQueries.clear();
    g_failFrom = g_failTo = kTop;
  }
  std::vector<Row> Walk() { return TakeRows(EnumProcessImages(NtCurrentProcessHandle())); }

  ScopedSlotOverride<PFN_NtQueryVirtualMemory> m_query{g_NativeApi.NtQueryVirtualMemory, &FakeQuery};
  ScopedSlotOverride<PFN_NtReadVirtualMemory> m_read{g_NativeApi.NtReadVirtualMemory, &FakeRead};
  ScopedSlotOverride<PFN_NtOpenFile> m_open{
      g_NativeApi.NtOpenFile, [](PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG) -> NTSTATUS {
        return kStatusObjectNameNotFound;
      }};
};

FakeRegion Mapped(ULONG_PTR base, ULONG_PTR size, const std::wstring& name, NameForm form = NameForm::kText,
                  size_t textOffset = 16) {
  return {base, size, base, MEM_MAPPED, name, form, 0, textOffset};
}
FakeRegion Image(ULONG_PTR base, ULONG_PTR size, ULONG_PTR allocationBase, const std::wstring& name,
                 ULONG sizeOfImage) {
  return {base, size, allocationBase, MEM_IMAGE, name, NameForm::kText, sizeOfImage, 16};
}

TEST_F(FakeSpaceTest, SteppingRulesNamesAndSizesThatWouldJumpTooFar) {
  const std::wstring name299 = std::wstring(294, L'x') + L"c.dll", name300 = L"y" + name299;
  g_regions = {{0x10000, 0x30000, 0x10000, MEM_PRIVATE, L"", NameForm::kNone, 0, 16},
               Mapped(0x40000, 0x10000, L"\\Device\\F\\hidden.dat"),  // right after a skipped region
               Image(0x50000, 0x1000, 0x50000, L"\\Device\\Fake\\alpha.dll", 0x20000),
               Image(0x51000, 0x1F000, 0x50000, L"\\Device\\Fake\\alpha.dll", 0x20000),
               Mapped(0x70000, 0x10000, L"\\Device\\F\\skipped.dat"),   // right after an honest image
               Mapped(0x80000, 0x10000, L"\\Device\\Take\\alpha.dll"),  // the same 12-unit tail
               Mapped(0x90000, 0x4000, L"\\Device\\F\\view.dat"),
               Mapped(0x94000, 0xC000, L"\\Device\\F\\view.dat"),
               Image(0xB0000, 0x10000, 0xB0000, L"\\Device\\F\\liar.dll", 0xFFFFF000),  // claims 4 GiB
               Mapped(0xC0000, 0x10000, L"a.dll"),
               Mapped(0xD0000, 0x10000, L"a.dll", NameForm::kText, 100),  // other bytes before the text
               Mapped(0xE0000, 0x10000, L"\\Device\\F\\odd.dat", NameForm::kOddLength),
               Mapped(0xF0000, 0x10000, L"\\Device\\F\\outside.dat", NameForm::kOutsideBuffer),
               Mapped(0x100000, 0x10000, name300),
               Mapped(0x110000, 0x10000, name299)};
  EXPECT_EQ(Walk(), (std::vector<Row>{{0x50000, 0x20000, L"\\Device\\Fake\\alpha.dll"},
                                      {0x90000, 0, L"\\Device\\F\\view.dat"},
                                      {0xB0000, 0xFFFFF000, L"\\Device\\F\\liar.dll"},
                                      {0xC0000, 0, L"a.dll"},
                                      {0x110000, 0, name299}}));
  EXPECT_LT(g_basicQueries.size(), 30u);
}

TEST_F(FakeSpaceTest, ListGrowsPast511WithoutLeaks) {
  g_regions.clear();
  for (ULONG_PTR i = 0; i < 1500; ++i)
    g_regions.push_back(Mapped(0x10000 * (i + 1), 0x10000, i % 2 ? L"\\Device\\F\\odd.dat" : L"\\Device\\F\\even.dat"));
  Walk();
  const LeakCounts before = TakeLeakCounts();
  const std::vector<Row> rows = Walk();
  ASSERT_EQ(1500u, rows.size());
  EXPECT_EQ(0x10000u * 1500, rows.back().base);
  ExpectNoLeaks(before, TakeLeakCounts());
}

// A denied, ended or invalid process ends the walk at once; other failures are skipped.
TEST_F(FakeSpaceTest, StatusesThatDoNotDependOnTheAddressEndTheWalk) {
  g_regions = {Mapped(0x10000, 0x10000, L"\\Device\\F\\first.dat"), Mapped(0x50000, 0x10000, L"\\Device\\F\\late.dat")};
  g_failFrom = 0x20000;
  g_failTo = 0x50000;
  const std::pair<ULONG, size_t> cases[] = {{0xC0000008, 2}, {0xC000010A, 2}, {0xC0000022, 2}, {0xC000000D, 0}};
  for (const auto& [status, queries] : cases) {
    g_basicQueries.clear();
    g_failStatus = static_cast<NTSTATUS>(status);
    EXPECT_EQ(Walk().size(), queries ? 1u : 2u) << std::hex << status;
    if (queries) {
      EXPECT_EQ(g_basicQueries.size(), queries) << std::hex << status;
    }
  }
}

}  // namespace
