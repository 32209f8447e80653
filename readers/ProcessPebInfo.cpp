#include "readers/ProcessPebInfo.h"

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "native/NativeQuery.h"
#include "readers/AnswerText.h"

namespace {

constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessImageFileName = 27;
constexpr ULONG kBasicInformationSize = 48;
constexpr size_t kBasicPebBaseAddress = 0x8;  // PROCESS_BASIC_INFORMATION
constexpr size_t kBasicUniqueProcessId = 0x20;

// The leading parts of the PEB and of RTL_USER_PROCESS_PARAMETERS that are
// read, and the fields in them (64-bit layouts).
constexpr SIZE_T kPebReadSize = 0xC0;
constexpr size_t kPebImageBaseAddress = 0x10;
constexpr size_t kPebProcessParameters = 0x20;
constexpr SIZE_T kParametersReadSize = 0x80;
constexpr size_t kParametersImagePathName = 0x60;
constexpr size_t kParametersCommandLine = 0x70;
// Within a UNICODE_STRING: Length (bytes) at 0, Buffer at 8.
constexpr size_t kUnicodeStringBuffer = 8;

bool ReadRemote(HANDLE process, ULONG_PTR address, void* target, SIZE_T size) {
  return NtSuccess(g_NativeApi.NtReadVirtualMemory(process, reinterpret_cast<PVOID>(address), target, size, nullptr));
}

// Copies the counted string described at `offset` of `parameters` into `field`
// of `capacity` units, keeping one for the NUL. The other process's Length is
// trusted only up to the field; the text ends after the whole characters the
// read delivered, whatever its status (a partial copy still counts).
void ReadRemoteString(HANDLE process, const ByteSpan& parameters, size_t offset, WCHAR* field, size_t capacity) {
  size_t chars = parameters.U16(offset) / sizeof(WCHAR);
  if (chars > capacity - 1) chars = capacity - 1;
  if (chars == 0) return;
  const ULONG_PTR text = parameters.Ptr(offset + kUnicodeStringBuffer);
  SIZE_T bytesRead = 0;
  g_NativeApi.NtReadVirtualMemory(process, reinterpret_cast<PVOID>(text), field, chars * sizeof(WCHAR), &bytesRead);
  size_t delivered = bytesRead / sizeof(WCHAR);
  if (delivered > chars) delivered = chars;
  field[delivered] = L'\0';
}

}  // namespace

ProcessPebInfo* ReadProcessPebInfo(HANDLE process, ULONG_PTR pebAddress) {
  BYTE peb[kPebReadSize];
  if (!ReadRemote(process, pebAddress, peb, sizeof(peb))) return nullptr;

  auto* info = static_cast<ProcessPebInfo*>(AllocNativeBuffer(sizeof(ProcessPebInfo)));
  if (!info) return nullptr;
  const ByteSpan pebSpan(peb, sizeof(peb));
  info->ImageBase = pebSpan.U64(kPebImageBaseAddress);

  BYTE parameters[kParametersReadSize];
  if (!ReadRemote(process, pebSpan.Ptr(kPebProcessParameters), parameters, sizeof(parameters))) return info;
  const ByteSpan parameterSpan(parameters, sizeof(parameters));
  ReadRemoteString(process, parameterSpan, kParametersCommandLine, info->CommandLine, ARRAYSIZE(info->CommandLine));
  ReadRemoteString(process, parameterSpan, kParametersImagePathName, info->ImagePath, ARRAYSIZE(info->ImagePath));
  return info;
}

bool ReadProcessBasics(HANDLE process, ProcessBasics* basics) {
  UniqueNativeBuffer answer(QueryProcessInformation(process, kProcessBasicInformation, kBasicInformationSize));
  if (!answer) return false;
  const ByteSpan span = SpanOfNativeBuffer(answer.Get());
  basics->pebAddress = span.Ptr(kBasicPebBaseAddress);
  basics->uniqueProcessId = span.Ptr(kBasicUniqueProcessId);
  return true;
}

bool ReadProcessImageFileName(HANDLE process, CString* text) {
  UniqueNativeBuffer answer(QueryProcessInformation(process, kProcessImageFileName, 0));
  return answer && ReadAnswerString(answer.Get(), text);
}
