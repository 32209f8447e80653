#include "readers/HandleQueries.h"

#include <utility>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "readers/AnswerText.h"
#include "readers/BoundedObjectQuery.h"
#include "readers/DevicePaths.h"
#include "readers/ProcessPebInfo.h"

namespace {

constexpr ACCESS_MASK kProcessDupHandle = 0x40;
constexpr ACCESS_MASK kProcessQueryInformation = 0x400;
constexpr ACCESS_MASK kProcessQueryLimitedInformation = 0x1000;
constexpr ACCESS_MASK kThreadQueryInformation = 0x40;
constexpr ACCESS_MASK kThreadQueryLimitedInformation = 0x800;
constexpr ULONG kDuplicateSameAccess = 2;

constexpr ULONG kObjectNameInformation = 1;
constexpr ULONG kObjectTypeInformation = 2;
constexpr size_t kThreadClientProcess = 0x10;  // THREAD_BASIC_INFORMATION.ClientId
constexpr size_t kThreadClientThread = 0x18;

HANDLE DuplicateFrom(HANDLE owner, ULONG_PTR handleValue, ACCESS_MASK access, ULONG options) {
  if (!owner) return nullptr;
  HANDLE duplicate = nullptr;
  const NTSTATUS status = g_NativeApi.NtDuplicateObject(owner, reinterpret_cast<HANDLE>(handleValue),
                                                        NtCurrentProcessHandle(), &duplicate, access, 0, options);
  return NtSuccess(status) ? duplicate : nullptr;
}

// For querying: with access `first`, else `second`.
HANDLE DuplicateWithAccess(HANDLE owner, ULONG_PTR handleValue, ACCESS_MASK first, ACCESS_MASK second) {
  if (HANDLE duplicate = DuplicateFrom(owner, handleValue, first, 0)) return duplicate;
  return DuplicateFrom(owner, handleValue, second, 0);
}

TargetImageName ReadImageName(HANDLE process) {
  TargetImageName image;
  if (!ReadProcessImageFileName(process, &image.text)) return image;
  if (image.text.IsEmpty()) {
    image.state = TargetImageName::State::kEmpty;
  } else {
    DevicePathToDrivePath(image.text);
    image.state = TargetImageName::State::kText;
  }
  return image;
}

bool ReadAnswerText(NativeBuffer answer, CString* text) {
  UniqueNativeBuffer owned(answer);
  return owned && ReadAnswerString(owned.Get(), text);
}

NativeBuffer QueryHandleInfo(ULONG_PTR processId, ULONG_PTR handleValue, ULONG infoClass) {
  UniqueNtHandle owner(OpenHandleOwner(processId));
  UniqueNtHandle duplicate(DuplicateForQuery(owner.Get(), handleValue));
  return duplicate ? QueryObjectInformation(duplicate.Get(), infoClass) : nullptr;
}

}  // namespace

NativeBuffer QueryHandleTypeInfo(ULONG_PTR processId, ULONG_PTR handleValue) {
  return QueryHandleInfo(processId, handleValue, kObjectTypeInformation);
}

NativeBuffer QueryHandleNameInfo(ULONG_PTR processId, ULONG_PTR handleValue) {
  return QueryHandleInfo(processId, handleValue, kObjectNameInformation);
}

HANDLE OpenHandleOwner(ULONG_PTR processId) { return OpenProcessById(processId, kProcessDupHandle); }

HANDLE DuplicateForQuery(HANDLE owner, ULONG_PTR handleValue) {
  return DuplicateFrom(owner, handleValue, 0, kDuplicateSameAccess);
}

bool ReadObjectTypeName(HANDLE duplicate, CString* typeName) {
  return duplicate && ReadAnswerText(QueryObjectInformation(duplicate, kObjectTypeInformation), typeName);
}

bool ReadObjectName(UniqueNtHandle duplicate, DWORD timeoutMs, CString* name) {
  if (!duplicate) return false;
  if (timeoutMs == INFINITE)
    return ReadAnswerText(QueryObjectInformation(duplicate.Get(), kObjectNameInformation), name);
  return ReadAnswerText(QueryObjectInformationWithin(std::move(duplicate), kObjectNameInformation, timeoutMs), name);
}

bool ReadProcessHandleTarget(HANDLE owner, ULONG_PTR handleValue, ProcessHandleTarget* target) {
  UniqueNtHandle duplicate(
      DuplicateWithAccess(owner, handleValue, kProcessQueryInformation, kProcessQueryLimitedInformation));
  if (!duplicate) return false;
  target->image = ReadImageName(duplicate.Get());
  ProcessBasics basics{};
  if (ReadProcessBasics(duplicate.Get(), &basics)) {
    target->hasProcessId = true;
    target->processId = basics.uniqueProcessId;
  }
  return true;
}

bool ReadThreadHandleTarget(HANDLE owner, ULONG_PTR handleValue, ThreadHandleTarget* target) {
  UniqueNtHandle duplicate(
      DuplicateWithAccess(owner, handleValue, kThreadQueryInformation, kThreadQueryLimitedInformation));
  if (!duplicate) return false;
  UniqueNativeBuffer basic(QueryThreadBasicInformation(duplicate.Get()));
  if (!basic) return false;
  const ByteSpan info = SpanOfNativeBuffer(basic.Get());
  target->processId = info.Ptr(kThreadClientProcess);
  target->threadId = info.Ptr(kThreadClientThread);
  UniqueNtHandle process(OpenProcessById(target->processId, kProcessQueryInformation));
  if (!process) process.Reset(OpenProcessById(target->processId, kProcessQueryLimitedInformation));
  target->processOpened = static_cast<bool>(process);
  if (process) target->image = ReadImageName(process.Get());
  return true;
}
