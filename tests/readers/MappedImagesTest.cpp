// The address-space walk against 64- and 32-bit children that map files, and
// against a fake address space for the stepping rules Wine cannot show.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
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
};

// Copies the records out and frees them and the list, as the page does.
std::vector<Row> TakeRows(MappedImageList* list) {
  std::vector<Row> rows;
  if (!list) return rows;
  for (ULONG i = 0; i < list->Count; ++i) {
    const MappedImageRecord* record = list->Records()[i];
    rows.push_back({record->Base, record->Size, record->Name});
    FreeNativeBuffer(list->Records()[i]);
  }
  FreeNativeBuffer(list);
  return rows;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && _wcsicmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

const Row* FindRow(const std::vector<Row>& rows, const std::wstring& tail) {
  for (const Row& row : rows)
    if (EndsWith(row.name, tail)) return &row;
  return nullptr;
}

// A file of `size` bytes in the temp folder, deleted at the end.
class TempFile {
 public:
  TempFile(const wchar_t* name, LONGLONG size) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    m_path = std::wstring(folder) + name;
    HANDLE file = CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  }
  ~TempFile() { DeleteFileW(m_path.c_str()); }
  const std::wstring& Path() const { return m_path; }
  ULONG AllocationSize() const {
    HANDLE file = CreateFileW(m_path.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    FILE_STANDARD_INFO info{};
    GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info));
    CloseHandle(file);
    return static_cast<ULONG>(info.AllocationSize.QuadPart);
  }

 private:
  std::wstring m_path;
};

class MappedImagesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
};

TEST_F(MappedImagesTest, ChildrenListTheirImagesAndAViewWithTheMappingRightAfterIt) {
  TempFile big(L"halvern_map_big.dat", 0x100000), small(L"halvern_map_small.dat", 5000);
  for (bool wow64 : {false, true}) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(wow64, L"--map \"" + big.Path() + L"\" --map \"" + small.Path() + L"\" --wait"));
    UniqueNtHandle process(OpenProcessById(child.Pid(), PROCESS_QUERY_INFORMATION | PROCESS_VM_READ));
    EXPECT_EQ(nullptr, wow64 ? EnumProcessImages(nullptr) : EnumWow64ProcessImages(process.Get()));
    const std::vector<Row> rows = TakeRows(EnumProcessImagesById(child.Pid()));
    ASSERT_GE(rows.size(), 4u) << wow64;
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].base, rows[i].base);
    if (wow64) {
      EXPECT_LT(rows.back().base, 0x7FFEFFFFu);
    }

    const Row* exe = FindRow(rows, wow64 ? L"\\helper32.exe" : L"\\helper64.exe");
    ASSERT_TRUE(exe && FindRow(rows, L"\\ntdll.dll")) << wow64;
    EXPECT_EQ(exe->size, GetRemoteImageSize(child.Handle(), exe->base));
    EXPECT_NE(0u, exe->size);
    const Row* view = FindRow(rows, L"\\halvern_map_big.dat");
    const Row* next = FindRow(rows, L"\\halvern_map_small.dat");
    ASSERT_TRUE(view && next) << wow64;
    EXPECT_EQ(big.AllocationSize(), view->size);  // the file's, not the 64 KiB view's
    EXPECT_EQ(small.AllocationSize(), next->size);
    EXPECT_EQ(view->base + 0x10000, next->base);
    EXPECT_EQ(0u, GetFileAllocationSize((L"\\??\\" + big.Path() + L".missing").c_str()));
  }
}

TEST_F(MappedImagesTest, WalksAndSizeReadsReleaseEverything) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  TakeRows(EnumProcessImagesById(child.Pid()));
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 3; ++i) TakeRows(EnumProcessImagesById(child.Pid()));
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST_F(MappedImagesTest, ImageSizeNeedsBothHeaderSignatures) {
  struct Case {
    WORD magic;
    LONG lfanew;
    DWORD signature;
    ULONG expected;
  };
  const Case cases[] = {{IMAGE_DOS_SIGNATURE, 0x80, IMAGE_NT_SIGNATURE, 0x12345},
                        {0x4D5B, 0x80, IMAGE_NT_SIGNATURE, 0},
                        {IMAGE_DOS_SIGNATURE, -0x100, IMAGE_NT_SIGNATURE, 0},
                        {IMAGE_DOS_SIGNATURE, 0x10000000, IMAGE_NT_SIGNATURE, 0},
                        {IMAGE_DOS_SIGNATURE, 0x80, 0x4551, 0}};
  for (const Case& c : cases) {
    alignas(8) BYTE image[0x200] = {};
    std::memcpy(image, &c.magic, 2);
    std::memcpy(image + 0x3C, &c.lfanew, 4);
    std::memcpy(image + 0x80, &c.signature, 4);
    const ULONG sizeOfImage = 0x12345;
    std::memcpy(image + 0x80 + 0x50, &sizeOfImage, 4);
    const auto base = reinterpret_cast<ULONGLONG>(image);
    EXPECT_EQ(c.expected, GetRemoteImageSize(NtCurrentProcessHandle(), base)) << c.lfanew;
    EXPECT_EQ(0u, GetRemoteImageSize(nullptr, base));
  }
  EXPECT_EQ(0u, GetRemoteImageSize(NtCurrentProcessHandle(), 0));
  EXPECT_EQ(0u, GetRemoteImageSize(NtCurrentProcessHandle(), 0x10));  // the never-mapped first page
}

// A fake address space: regions in ascending order, free space between them.
enum class NameForm { kNone, kText, kOddLength, kOutsideBuffer };
struct FakeRegion {
  ULONG_PTR base, size, allocationBase;
  ULONG type;
  NameForm form;
  std::wstring name;
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
    MEMORY_BASIC_INFORMATION info{};
    ULONG_PTR end = kTop;
    for (const FakeRegion& r : g_regions)
      if (r.base > address && r.base < end) end = r.base;
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
  const ULONG_PTR text = region->form == NameForm::kOutsideBuffer
                             ? reinterpret_cast<ULONG_PTR>(region->name.data())
                             : reinterpret_cast<ULONG_PTR>(answer + region->textOffset);
  std::memcpy(answer, &length, 2);
  std::memcpy(answer + 8, &text, 8);
  if (region->form != NameForm::kOutsideBuffer)
    std::memcpy(answer + region->textOffset, region->name.data(), length & ~1);
  return 0;
}

NTSTATUS NTAPI FakeRead(HANDLE, PVOID at, PVOID buffer, SIZE_T size, PSIZE_T) {
  const auto address = reinterpret_cast<ULONG_PTR>(at);
  const FakeRegion* region = RegionAt(address & ~0xFFFull);
  if (!region || region->sizeOfImage == 0) return static_cast<NTSTATUS>(0x8000000D);
  std::memset(buffer, 0, size);
  const bool dos = address == region->allocationBase;
  const DWORD value = dos ? IMAGE_DOS_SIGNATURE : IMAGE_NT_SIGNATURE;
  const LONG lfanew = 0x80;
  std::memcpy(buffer, &value, dos ? 2 : 4);
  std::memcpy(static_cast<BYTE*>(buffer) + (dos ? 0x3C : 0x50),
              dos ? &lfanew : reinterpret_cast<const LONG*>(&region->sizeOfImage), 4);
  return 0;
}

NTSTATUS NTAPI NoFile(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG) {
  return kStatusObjectNameNotFound;
}

int g_allocations = 0;
int g_failAllocation = 0;
PFN_NtAllocateVirtualMemory g_realAllocate = nullptr;
NTSTATUS NTAPI CountedAllocate(HANDLE p, PVOID* base, ULONG_PTR zero, PSIZE_T size, ULONG type, ULONG protect) {
  if (++g_allocations == g_failAllocation) return static_cast<NTSTATUS>(0xC0000017);
  return g_realAllocate(p, base, zero, size, type, protect);
}

class FakeSpaceTest : public MappedImagesTest {
 protected:
  void SetUp() override {
    g_basicQueries.clear();
    g_failFrom = g_failTo = kTop;
    g_allocations = g_failAllocation = 0;
    g_realAllocate = m_allocate.Saved();
  }
  std::vector<Row> Walk() { return TakeRows(EnumProcessImages(NtCurrentProcessHandle())); }

  ScopedSlotOverride<PFN_NtQueryVirtualMemory> m_query{g_NativeApi.NtQueryVirtualMemory, &FakeQuery};
  ScopedSlotOverride<PFN_NtReadVirtualMemory> m_read{g_NativeApi.NtReadVirtualMemory, &FakeRead};
  ScopedSlotOverride<PFN_NtOpenFile> m_open{g_NativeApi.NtOpenFile, &NoFile};
  ScopedSlotOverride<PFN_NtAllocateVirtualMemory> m_allocate{g_NativeApi.NtAllocateVirtualMemory, &CountedAllocate};
};

FakeRegion Mapped(ULONG_PTR base, ULONG_PTR size, const std::wstring& name, NameForm form = NameForm::kText,
                  size_t textOffset = 16) {
  return {base, size, base, MEM_MAPPED, form, name, 0, textOffset};
}
FakeRegion Image(ULONG_PTR base, ULONG_PTR size, ULONG_PTR allocationBase, const std::wstring& name,
                 ULONG sizeOfImage) {
  return {base, size, allocationBase, MEM_IMAGE, NameForm::kText, name, sizeOfImage, 16};
}

void ExpectRows(const std::vector<Row>& rows, const std::vector<Row>& expected) {
  ASSERT_EQ(expected.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(expected[i].base, rows[i].base) << i;
    EXPECT_EQ(expected[i].size, rows[i].size) << i;
    EXPECT_EQ(expected[i].name, rows[i].name) << i;
  }
}

TEST_F(FakeSpaceTest, SteppingRulesTailsAndSizesThatWouldJumpTooFar) {
  g_regions = {{0x10000, 0x30000, 0x10000, MEM_PRIVATE, NameForm::kNone, L"", 0, 16},
               Mapped(0x40000, 0x10000, L"\\Device\\F\\hidden.dat"),  // right after a skipped region
               Image(0x50000, 0x1000, 0x50000, L"\\Device\\Fake\\alpha.dll", 0x20000),
               Image(0x51000, 0x1F000, 0x50000, L"\\Device\\Fake\\alpha.dll", 0x20000),
               Mapped(0x70000, 0x10000, L"\\Device\\F\\skipped.dat"),   // right after an honest image
               Mapped(0x80000, 0x10000, L"\\Device\\Take\\alpha.dll"),  // the same 12-unit tail
               Mapped(0x90000, 0x4000, L"\\Device\\F\\view.dat"),
               Mapped(0x94000, 0xC000, L"\\Device\\F\\view.dat"),
               Image(0xB0000, 0x10000, 0xB0000, L"\\Device\\F\\liar.dll", 0xFFFFF000),  // claims 4 GiB
               Mapped(0xC0000, 0x10000, L"\\Device\\F\\after.dat")};
  ExpectRows(Walk(), {{0x50000, 0x20000, L"\\Device\\Fake\\alpha.dll"},
                      {0x90000, 0, L"\\Device\\F\\view.dat"},
                      {0xB0000, 0xFFFFF000, L"\\Device\\F\\liar.dll"},
                      {0xC0000, 0, L"\\Device\\F\\after.dat"}});
  EXPECT_LT(g_basicQueries.size(), 20u);
}

TEST_F(FakeSpaceTest, ShortOddOutsideAndOverlongNames) {
  const std::wstring name299 = std::wstring(294, L'x') + L"c.dll", name300 = L"y" + name299;
  g_regions = {Mapped(0x10000, 0x10000, L"a.dll"),
               Mapped(0x20000, 0x10000, L"a.dll", NameForm::kText, 100),  // other bytes before the text
               Mapped(0x30000, 0x10000, L"b.dll"),
               Mapped(0x40000, 0x10000, L"\\Device\\F\\odd.dat", NameForm::kOddLength),
               Mapped(0x50000, 0x10000, L"\\Device\\F\\outside.dat", NameForm::kOutsideBuffer),
               Mapped(0x60000, 0x10000, name300),
               Mapped(0x70000, 0x10000, name299)};
  ExpectRows(Walk(), {{0x10000, 0, L"a.dll"}, {0x30000, 0, L"b.dll"}, {0x70000, 0, name299}});
}

TEST_F(FakeSpaceTest, ListGrowsPast511AndFailedAllocationsKeepWhatWasFound) {
  g_regions.clear();
  for (ULONG_PTR i = 0; i < 1500; ++i)
    g_regions.push_back(Mapped(0x10000 * (i + 1), 0x10000, i % 2 ? L"\\Device\\F\\odd.dat" : L"\\Device\\F\\even.dat"));
  const std::vector<Row> rows = Walk();
  ASSERT_EQ(1500u, rows.size());
  EXPECT_EQ(0x10000u * 1500, rows.back().base);

  // Allocation 1 is the list, 2.. the records; 514 is the list's first growth.
  const std::pair<int, size_t> cases[] = {{1, 0}, {3, 1}, {514, 511}};
  const LeakCounts before = TakeLeakCounts();
  for (const auto& [failAt, count] : cases) {
    g_allocations = 0;
    g_failAllocation = failAt;
    EXPECT_EQ(count, Walk().size()) << failAt;
  }
  ExpectNoLeaks(before, TakeLeakCounts());
}

TEST_F(FakeSpaceTest, StatusesThatDoNotDependOnTheAddressEndTheWalk) {
  g_regions = {Mapped(0x10000, 0x10000, L"\\Device\\F\\first.dat"), Mapped(0x50000, 0x10000, L"\\Device\\F\\late.dat")};
  const std::pair<ULONG, size_t> cases[] = {{0xC0000008, 1}, {0xC000010A, 1}, {0xC0000022, 1}, {0xC000000D, 2}};
  for (const auto& [status, count] : cases) {
    g_basicQueries.clear();
    g_failFrom = 0x20000;
    g_failTo = 0x50000;
    g_failStatus = static_cast<NTSTATUS>(status);
    const std::vector<Row> rows = Walk();
    EXPECT_EQ(count, rows.size()) << std::hex << status;
    if (count == 1) {
      EXPECT_EQ(2u, g_basicQueries.size()) << std::hex << status;
    }
  }
}

TEST_F(FakeSpaceTest, Wow64WalkStopsBelow0x7FFEFFFF) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(true, L"--wait"));
  g_regions = {Mapped(0x7FFD0000, 0x20000, L"\\Device\\F\\below.dat"),
               Mapped(0x7FFF0000, 0x10000, L"\\Device\\F\\above.dat")};
  ExpectRows(TakeRows(EnumWow64ProcessImages(child.Handle())), {{0x7FFD0000, 0, L"\\Device\\F\\below.dat"}});
  for (ULONG_PTR address : g_basicQueries) EXPECT_LT(address, 0x7FFEFFFFu);
}

}  // namespace
