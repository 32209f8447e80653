// The PEB reader and the owner lookup, against child processes and, for what
// the system does not produce, against fake routines in the native table.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <cstring>
#include <string>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "views/processes/DriveLetters.h"
#include "views/processes/ProcessOwner.h"
#include "views/processes/ProcessPebInfo.h"

namespace {

constexpr ACCESS_MASK kQueryAndRead = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;
constexpr NTSTATUS kStatusPartialCopy = static_cast<NTSTATUS>(0x8000000D);

class ProcessReadersTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureNativeApiBound(); }
};

ULONG_PTR PebAddressOf(HANDLE process) {
  UniqueNativeBuffer basic(QueryProcessInformation(process, 0, 48));
  return SpanOfNativeBuffer(basic.Get()).Ptr(8);
}

// Reads the PEB record of a child opened as the process list opens it.
UniqueNativeBuffer ReadChildPebInfo(const ChildProcess& child) {
  UniqueNtHandle process(OpenProcessById(child.Pid(), kQueryAndRead));
  if (!process) return UniqueNativeBuffer();
  return UniqueNativeBuffer(ReadProcessPebInfo(process.Get(), PebAddressOf(process.Get())));
}

const ProcessPebInfo& InfoOf(const UniqueNativeBuffer& buffer) {
  return *static_cast<const ProcessPebInfo*>(buffer.Get());
}

bool ImageHeadersAt(HANDLE process, ULONGLONG base) {
  IMAGE_DOS_HEADER dos{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(base), &dos, sizeof(dos), &read)) return false;
  DWORD signature = 0;
  return dos.e_magic == IMAGE_DOS_SIGNATURE &&
         ReadProcessMemory(process, reinterpret_cast<LPCVOID>(base + dos.e_lfanew), &signature, sizeof(signature),
                           &read) &&
         signature == IMAGE_NT_SIGNATURE;
}

class PebOfChildTest : public ProcessReadersTest, public ::testing::WithParamInterface<bool> {};

TEST_P(PebOfChildTest, GivesImageBaseImagePathAndCommandLine) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(GetParam(), L"--wait peb reader \"quoted words\" 中文"));
  UniqueNativeBuffer info = ReadChildPebInfo(child);
  ASSERT_TRUE(info);
  EXPECT_TRUE(ImageHeadersAt(child.Handle(), InfoOf(info).ImageBase));
  EXPECT_EQ(0, _wcsicmp(child.ImagePath().c_str(), InfoOf(info).ImagePath)) << InfoOf(info).ImagePath;
  EXPECT_EQ(child.CommandLine(), InfoOf(info).CommandLine);
}

INSTANTIATE_TEST_SUITE_P(Bitness, PebOfChildTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Wow64" : "Native"; });

TEST_F(ProcessReadersTest, CommandLineLongerThanTheFieldIsCut) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait " + std::wstring(1500, L'x')));
  ASSERT_GT(child.CommandLine().size(), 1023u);
  UniqueNativeBuffer info = ReadChildPebInfo(child);
  ASSERT_TRUE(info);
  EXPECT_EQ(child.CommandLine().substr(0, 1023), InfoOf(info).CommandLine);
}

// A PEB and process parameters laid out in this process, read through the
// process's own handle, so lengths the system never reports can be tried.
class LocalPeb {
 public:
  LocalPeb() {
    Put64(m_peb, 0x10, 0x140000000ull);
    Put64(m_peb, 0x20, reinterpret_cast<ULONG_PTR>(m_parameters));
  }
  void SetImagePath(const void* text, USHORT lengthBytes) { SetString(0x60, text, lengthBytes); }
  void SetCommandLine(const void* text, USHORT lengthBytes) { SetString(0x70, text, lengthBytes); }
  void SetParameters(ULONG_PTR address) { Put64(m_peb, 0x20, address); }
  ULONG_PTR Address() const { return reinterpret_cast<ULONG_PTR>(m_peb); }

 private:
  static void Put64(BYTE* record, size_t offset, ULONGLONG value) { std::memcpy(record + offset, &value, 8); }
  void SetString(size_t offset, const void* text, USHORT lengthBytes) {
    std::memcpy(m_parameters + offset, &lengthBytes, 2);
    Put64(m_parameters, offset + 8, reinterpret_cast<ULONG_PTR>(text));
  }
  alignas(8) BYTE m_peb[0xC0] = {};
  alignas(8) BYTE m_parameters[0x80] = {};
};

TEST_F(ProcessReadersTest, PebStringsAreBoundedByTheirFields) {
  static const std::wstring longText(0x8000, L'A');
  LocalPeb peb;
  peb.SetImagePath(longText.data(), 0xFFFF);
  peb.SetCommandLine(longText.data(), 0xFFFE);
  UniqueNativeBuffer info(ReadProcessPebInfo(NtCurrentProcessHandle(), peb.Address()));
  ASSERT_TRUE(info);
  EXPECT_EQ(0x140000000ull, InfoOf(info).ImageBase);
  EXPECT_EQ(std::wstring(259, L'A'), InfoOf(info).ImagePath);
  EXPECT_EQ(std::wstring(1023, L'A'), InfoOf(info).CommandLine);
  // Nothing is written behind the record.
  const ByteSpan page = SpanOfNativeBuffer(info.Get());
  for (size_t i = sizeof(ProcessPebInfo); i < page.Size(); ++i) ASSERT_EQ(0u, page.Data()[i]) << i;
}

TEST_F(ProcessReadersTest, OddLengthsGiveWholeCharactersAndEmptyStringsStayEmpty) {
  static const wchar_t kText[] = L"abcdef";
  LocalPeb peb;
  peb.SetImagePath(kText, 5);
  peb.SetCommandLine(nullptr, 0);
  UniqueNativeBuffer info(ReadProcessPebInfo(NtCurrentProcessHandle(), peb.Address()));
  ASSERT_TRUE(info);
  EXPECT_STREQ(L"ab", InfoOf(info).ImagePath);
  EXPECT_STREQ(L"", InfoOf(info).CommandLine);
}

TEST_F(ProcessReadersTest, UnreadablePebGivesNoRecord) {
  EXPECT_EQ(nullptr, ReadProcessPebInfo(NtCurrentProcessHandle(), 0));
  LocalPeb peb;
  EXPECT_EQ(nullptr, ReadProcessPebInfo(nullptr, peb.Address()));
}

int g_readCalls = 0;
PFN_NtReadVirtualMemory g_realRead = nullptr;

NTSTATUS NTAPI FailSecondRead(HANDLE process, PVOID address, PVOID buffer, SIZE_T size, PSIZE_T read) {
  if (++g_readCalls == 2) return kStatusAccessDenied;
  return g_realRead(process, address, buffer, size, read);
}

TEST_F(ProcessReadersTest, UnreadableParametersGiveTheImageBaseAlone) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait some text"));
  UniqueNativeBuffer info;
  {
    g_readCalls = 0;
    ScopedSlotOverride read(g_NativeApi.NtReadVirtualMemory, &FailSecondRead);
    g_realRead = read.Saved();
    info = ReadChildPebInfo(child);
  }
  ASSERT_TRUE(info);
  EXPECT_EQ(2, g_readCalls);
  EXPECT_TRUE(ImageHeadersAt(child.Handle(), InfoOf(info).ImageBase));
  EXPECT_STREQ(L"", InfoOf(info).ImagePath);
  EXPECT_STREQ(L"", InfoOf(info).CommandLine);
}

// The command-line read (the third) delivers 7 bytes and fails.
NTSTATUS NTAPI PartialThirdRead(HANDLE process, PVOID address, PVOID buffer, SIZE_T size, PSIZE_T read) {
  if (++g_readCalls != 3) return g_realRead(process, address, buffer, size, read);
  g_realRead(process, address, buffer, 7, nullptr);
  if (read) *read = 7;
  return kStatusPartialCopy;
}

TEST_F(ProcessReadersTest, FailedStringReadKeepsTheWholeCharactersDelivered) {
  static const wchar_t kCommand[] = L"command line";
  static const wchar_t kImage[] = L"C:\\image.exe";
  LocalPeb peb;
  peb.SetCommandLine(kCommand, sizeof(kCommand) - 2);
  peb.SetImagePath(kImage, sizeof(kImage) - 2);
  g_readCalls = 0;
  ScopedSlotOverride read(g_NativeApi.NtReadVirtualMemory, &PartialThirdRead);
  g_realRead = read.Saved();
  UniqueNativeBuffer info(ReadProcessPebInfo(NtCurrentProcessHandle(), peb.Address()));
  ASSERT_TRUE(info);
  EXPECT_STREQ(L"com", InfoOf(info).CommandLine);
  EXPECT_STREQ(kImage, InfoOf(info).ImagePath);
}

// --- Owner ---------------------------------------------------------------

std::wstring AccountNameOf(PSID sid) {
  WCHAR name[260] = {};
  WCHAR domain[256] = {};
  DWORD nameLength = 260, domainLength = 256;
  SID_NAME_USE use;
  if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) return L"<lookup failed>";
  return name;
}

std::wstring LocalSystemName() {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(sid);
  if (!CreateWellKnownSid(WinLocalSystemSid, nullptr, sid, &size)) return L"<no sid>";
  return AccountNameOf(sid);
}

std::wstring ProcessObjectOwnerName(HANDLE process) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(process, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      &descriptor) != ERROR_SUCCESS) {
    return L"<no owner>";
  }
  std::wstring name = AccountNameOf(owner);
  LocalFree(descriptor);
  return name;
}

std::wstring UserNameOf(ULONG_PTR processId, BOOL* result) {
  WCHAR name[260] = {};
  *result = GetProcessUserName(processId, name);
  return name;
}

int g_openCalls = 0;
int g_tokenCalls = 0;
ACCESS_MASK g_openAccess = 0;
PFN_NtOpenProcess g_realOpen = nullptr;

NTSTATUS NTAPI DenyOpen(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*) {
  ++g_openCalls;
  return kStatusAccessDenied;
}

NTSTATUS NTAPI DenyToken(HANDLE, ACCESS_MASK, PHANDLE) {
  ++g_tokenCalls;
  return kStatusAccessDenied;
}

// Opens for real, but without READ_CONTROL, so the owner cannot be read.
NTSTATUS NTAPI OpenWithoutReadControl(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes,
                                      CLIENT_ID* client) {
  ++g_openCalls;
  g_openAccess = access;
  if (!attributes || attributes->Length != 48 || attributes->ObjectName || !client || client->UniqueThread) {
    return kStatusInvalidParameter;
  }
  return g_realOpen(handle, access & ~READ_CONTROL, attributes, client);
}

TEST_F(ProcessReadersTest, IdleAndSystemBelongToLocalSystemWithoutAnOpen) {
  g_openCalls = 0;
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &DenyOpen);
  for (ULONG_PTR pid : {0u, 4u}) {
    BOOL result = FALSE;
    EXPECT_EQ(LocalSystemName(), UserNameOf(pid, &result)) << pid;
    EXPECT_TRUE(result);
  }
  EXPECT_EQ(0, g_openCalls);
}

TEST_F(ProcessReadersTest, OwnerFallbacks) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  WCHAR user[260] = {};
  DWORD userLength = 260;
  ASSERT_TRUE(GetUserNameW(user, &userLength));
  BOOL result = FALSE;

  // The token's user.
  EXPECT_EQ(user, UserNameOf(child.Pid(), &result));
  EXPECT_TRUE(result);
  {  // A process that cannot be opened: LocalSystem, and no token is asked for.
    g_openCalls = g_tokenCalls = 0;
    ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &DenyOpen);
    ScopedSlotOverride token(g_NativeApi.NtOpenProcessToken, &DenyToken);
    EXPECT_EQ(LocalSystemName(), UserNameOf(child.Pid(), &result));
    EXPECT_EQ(1, g_openCalls);
    EXPECT_EQ(0, g_tokenCalls);
  }
  ScopedSlotOverride token(g_NativeApi.NtOpenProcessToken, &DenyToken);
  // A denied token: the owner in the process object's security descriptor.
  EXPECT_EQ(ProcessObjectOwnerName(child.Handle()), UserNameOf(child.Pid(), &result));
  EXPECT_TRUE(result);
  {  // Neither token nor owner: LocalSystem.
    g_openCalls = 0;
    ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &OpenWithoutReadControl);
    g_realOpen = open.Saved();
    EXPECT_EQ(LocalSystemName(), UserNameOf(child.Pid(), &result));
    EXPECT_EQ(1, g_openCalls);
    EXPECT_EQ(static_cast<ACCESS_MASK>(READ_CONTROL | PROCESS_QUERY_INFORMATION), g_openAccess);
  }
}

TEST_F(ProcessReadersTest, NullSidIsNotLookedUp) {
  WCHAR name[260] = {};
  EXPECT_FALSE(LookupSidAccountName(nullptr, name));
  EXPECT_STREQ(L"", name);
}

// --- Leaks -----------------------------------------------------------------

void RunEveryReader(const ChildProcess& child) {
  UniqueNativeBuffer info = ReadChildPebInfo(child);
  WCHAR name[260] = {};
  GetProcessUserName(child.Pid(), name);
  {
    ScopedSlotOverride token(g_NativeApi.NtOpenProcessToken, &DenyToken);
    GetProcessUserName(child.Pid(), name);
  }
  GetDriveLetterForDevice(L"\\Device\\HarddiskVolume1");
  GetDriveLetterForDevice(L"\\Device\\NoSuchDevice");
}

TEST_F(ProcessReadersTest, ReadersReleaseEverything) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  RunEveryReader(child);
  const LeakCounts before = TakeLeakCounts();
  for (int i = 0; i < 20; ++i) RunEveryReader(child);
  ExpectNoLeaks(before, TakeLeakCounts());
}

}  // namespace
