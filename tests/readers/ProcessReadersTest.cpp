// The PEB reader and the owner lookup against child processes, with fake
// routines for what the system does not produce.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>

#include <cstring>
#include <string>
#include <utility>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "readers/DriveLetters.h"
#include "readers/ProcessOwner.h"
#include "readers/ProcessPebInfo.h"

namespace {

class ProcessReadersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EnsureNativeApiBound(); }
};

// Reads the PEB record of a child opened as the process list opens it.
UniqueNativeBuffer ReadChildPebInfo(const ChildProcess& child) {
  UniqueNtHandle process(OpenProcessById(child.Pid(), PROCESS_QUERY_INFORMATION | PROCESS_VM_READ));
  if (!process) return UniqueNativeBuffer();
  UniqueNativeBuffer basic(QueryProcessInformation(process.Get(), 0, 48));
  return UniqueNativeBuffer(ReadProcessPebInfo(process.Get(), SpanOfNativeBuffer(basic.Get()).Ptr(8)));
}

const ProcessPebInfo& InfoOf(const UniqueNativeBuffer& buffer) {
  return *static_cast<const ProcessPebInfo*>(buffer.Get());
}

bool ImageAt(HANDLE process, ULONGLONG base) {
  WORD magic = 0;
  return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(base), &magic, sizeof(magic), nullptr) &&
         magic == IMAGE_DOS_SIGNATURE;
}

TEST_F(ProcessReadersTest, PebGivesImageBasePathAndCommandLineCutTo1023) {
  const std::wstring words = L"--wait peb reader \"quoted words\" 中文";
  const std::wstring overlong = L"--wait " + std::wstring(1500, L'x');
  const std::pair<bool, std::wstring> cases[] = {{false, words}, {true, words}, {false, overlong}};
  for (const auto& [wow64, args] : cases) {
    ChildProcess child;
    ASSERT_TRUE(child.Start(wow64, args));
    UniqueNativeBuffer info = ReadChildPebInfo(child);
    ASSERT_TRUE(info);
    EXPECT_TRUE(ImageAt(child.Handle(), InfoOf(info).ImageBase));
    EXPECT_EQ(0, _wcsicmp(child.ImagePath().c_str(), InfoOf(info).ImagePath)) << InfoOf(info).ImagePath;
    EXPECT_EQ(child.CommandLine().substr(0, 1023), InfoOf(info).CommandLine);
  }
}

// A PEB laid out in this process and read through its own handle, for what
// no child shows: lengths beyond the fields, parameters that cannot be read.
TEST_F(ProcessReadersTest, OverlongStringsStopAtTheirFieldsAndUnreadableParametersLeaveThemEmpty) {
  static const std::wstring text(0x8000, L'A');
  alignas(8) BYTE peb[0xC0] = {};
  alignas(8) BYTE parameters[0x80] = {};
  const auto put = [](BYTE* at, uint64_t value, size_t size) { std::memcpy(at, &value, size); };
  put(peb + 0x10, 0x140000000, 8);
  put(peb + 0x20, reinterpret_cast<uintptr_t>(parameters), 8);
  for (size_t field : {0x60, 0x70}) {  // ImagePathName, CommandLine
    put(parameters + field, 0xFFFF, 2);
    put(parameters + field + 8, reinterpret_cast<uintptr_t>(text.data()), 8);
  }
  UniqueNativeBuffer info(ReadProcessPebInfo(NtCurrentProcessHandle(), reinterpret_cast<ULONG_PTR>(peb)));
  ASSERT_TRUE(info);
  EXPECT_EQ(0x140000000u, InfoOf(info).ImageBase);
  EXPECT_EQ(std::wstring(259, L'A'), InfoOf(info).ImagePath);
  EXPECT_EQ(std::wstring(1023, L'A'), InfoOf(info).CommandLine);

  put(peb + 0x20, 0x10, 8);  // in the never-mapped first page
  info.Reset(ReadProcessPebInfo(NtCurrentProcessHandle(), reinterpret_cast<ULONG_PTR>(peb)));
  ASSERT_TRUE(info);
  EXPECT_EQ(0x140000000u, InfoOf(info).ImageBase);
  EXPECT_STREQ(L"", InfoOf(info).ImagePath);
  EXPECT_STREQ(L"", InfoOf(info).CommandLine);
}

// Looked up as the code under test does; the token user below checks it against GetUserNameW.
std::wstring AccountNameOf(PSID sid) {
  WCHAR name[260] = {};
  return LookupSidAccountName(sid, name) ? name : L"<lookup failed>";
}

std::wstring LocalSystemName() {
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(sid);
  return CreateWellKnownSid(WinLocalSystemSid, nullptr, sid, &size) ? AccountNameOf(sid) : L"<no sid>";
}

std::wstring ObjectOwnerName(HANDLE process) {
  PSID owner = nullptr;  // stays null, and fails the lookup, when the descriptor cannot be read
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  GetSecurityInfo(process, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                  &descriptor);
  const std::wstring name = AccountNameOf(owner);
  LocalFree(descriptor);
  return name;
}

std::wstring UserNameOf(ULONG_PTR processId) {
  WCHAR name[260] = {};
  EXPECT_TRUE(GetProcessUserName(processId, name)) << processId;
  return name;
}

int g_opens = 0;

NTSTATUS NTAPI DenyOpen(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, CLIENT_ID*) {
  ++g_opens;
  return kStatusAccessDenied;
}

NTSTATUS NTAPI DenyToken(HANDLE, ACCESS_MASK, PHANDLE) { return kStatusAccessDenied; }

TEST_F(ProcessReadersTest, OwnerIsTheTokenUserElseTheObjectOwnerElseLocalSystem) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(false, L"--wait"));
  WCHAR user[260] = {};
  DWORD userLength = 260;
  ASSERT_TRUE(GetUserNameW(user, &userLength));
  EXPECT_EQ(user, UserNameOf(child.Pid()));
  {
    ScopedSlotOverride token(g_NativeApi.NtOpenProcessToken, &DenyToken);
    EXPECT_EQ(ObjectOwnerName(child.Handle()), UserNameOf(child.Pid()));
  }
  g_opens = 0;
  ScopedSlotOverride open(g_NativeApi.NtOpenProcess, &DenyOpen);
  EXPECT_EQ(LocalSystemName(), UserNameOf(child.Pid()));
  EXPECT_EQ(1, g_opens);
  for (ULONG_PTR pid : {0u, 4u}) EXPECT_EQ(LocalSystemName(), UserNameOf(pid)) << pid;
  EXPECT_EQ(1, g_opens) << "the idle and system processes are not opened";
}

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
