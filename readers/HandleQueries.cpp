#include "readers/HandleQueries.h"

#include <utility>

#include "native/ByteSpan.h"
#include "native/NativeOwners.h"
#include "readers/AnswerString.h"
#include "readers/BoundedObjectQuery.h"
#include "readers/DevicePaths.h"

namespace {

constexpr ACCESS_MASK kProcessDupHandle = 0x40;
constexpr ACCESS_MASK kProcessQueryInformation = 0x400;
constexpr ACCESS_MASK kProcessQueryLimitedInformation = 0x1000;
constexpr ACCESS_MASK kThreadQueryInformation = 0x40;
constexpr ACCESS_MASK kThreadQueryLimitedInformation = 0x800;
constexpr ULONG kDuplicateSameAccess = 2;

constexpr ULONG kObjectNameInformation = 1;
constexpr ULONG kObjectTypeInformation = 2;
constexpr ULONG kProcessBasicInformation = 0;
constexpr ULONG kProcessImageFileName = 27;
constexpr ULONG kBasicInformationSize = 48;
constexpr size_t kBasicUniqueProcessId = 0x20;  // PROCESS_BASIC_INFORMATION
constexpr size_t kThreadClientProcess = 0x10;   // THREAD_BASIC_INFORMATION.ClientId
constexpr size_t kThreadClientThread = 0x18;

// A handle of another process duplicated into this one, with the handle of
// its owner; the duplicate is closed first.
struct Duplicate {
  UniqueNtHandle owner;
  UniqueNtHandle handle;
};

HANDLE DuplicateFrom(HANDLE owner, ULONG_PTR handleValue, ACCESS_MASK access, ULONG options) {
  HANDLE duplicate = nullptr;
  const NTSTATUS status = g_NativeApi.NtDuplicateObject(owner, reinterpret_cast<HANDLE>(handleValue),
                                                        NtCurrentProcessHandle(), &duplicate, access, 0, options);
  return NtSuccess(status) ? duplicate : nullptr;
}

// With its own access (`second` 0), or for querying: `first`, else `second`.
bool DuplicateFromOwner(ULONG_PTR processId, ULONG_PTR handleValue, ACCESS_MASK first, ACCESS_MASK second,
                        Duplicate* duplicate) {
  duplicate->owner.Reset(OpenProcessById(processId, kProcessDupHandle));
  if (!duplicate->owner) return false;
  const HANDLE owner = duplicate->owner.Get();
  if (first == 0) {
    duplicate->handle.Reset(DuplicateFrom(owner, handleValue, 0, kDuplicateSameAccess));
  } else {
    duplicate->handle.Reset(DuplicateFrom(owner, handleValue, first, 0));
    if (!duplicate->handle) duplicate->handle.Reset(DuplicateFrom(owner, handleValue, second, 0));
  }
  return static_cast<bool>(duplicate->handle);
}

TargetImageName ReadImageName(HANDLE process) {
  TargetImageName image;
  UniqueNativeBuffer answer(QueryProcessInformation(process, kProcessImageFileName, 0));
  if (!answer || !ReadAnswerString(answer.Get(), &image.text)) return image;
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

}  // namespace

NativeBuffer QueryHandleTypeInfo(ULONG_PTR processId, ULONG_PTR handleValue) {
  Duplicate duplicate;
  if (!DuplicateFromOwner(processId, handleValue, 0, 0, &duplicate)) return nullptr;
  return QueryObjectInformation(duplicate.handle.Get(), kObjectTypeInformation);
}

NativeBuffer QueryHandleNameInfo(ULONG_PTR processId, ULONG_PTR handleValue, DWORD timeoutMs) {
  Duplicate duplicate;
  if (!DuplicateFromOwner(processId, handleValue, 0, 0, &duplicate)) return nullptr;
  if (timeoutMs == INFINITE) return QueryObjectInformation(duplicate.handle.Get(), kObjectNameInformation);
  return QueryObjectInformationWithin(std::move(duplicate.handle), kObjectNameInformation, timeoutMs);
}

bool ReadHandleTypeName(ULONG_PTR processId, ULONG_PTR handleValue, CString* typeName) {
  return ReadAnswerText(QueryHandleTypeInfo(processId, handleValue), typeName);
}

bool ReadHandleObjectName(ULONG_PTR processId, ULONG_PTR handleValue, DWORD timeoutMs, CString* name) {
  return ReadAnswerText(QueryHandleNameInfo(processId, handleValue, timeoutMs), name);
}

bool ReadProcessHandleTarget(ULONG_PTR processId, ULONG_PTR handleValue, ProcessHandleTarget* target) {
  Duplicate duplicate;
  if (!DuplicateFromOwner(processId, handleValue, kProcessQueryInformation, kProcessQueryLimitedInformation,
                          &duplicate)) {
    return false;
  }
  target->image = ReadImageName(duplicate.handle.Get());
  UniqueNativeBuffer basic(
      QueryProcessInformation(duplicate.handle.Get(), kProcessBasicInformation, kBasicInformationSize));
  if (basic) {
    target->hasProcessId = true;
    target->processId = SpanOfNativeBuffer(basic.Get()).Ptr(kBasicUniqueProcessId);
  }
  return true;
}

bool ReadThreadHandleTarget(ULONG_PTR processId, ULONG_PTR handleValue, ThreadHandleTarget* target) {
  Duplicate duplicate;
  if (!DuplicateFromOwner(processId, handleValue, kThreadQueryInformation, kThreadQueryLimitedInformation,
                          &duplicate)) {
    return false;
  }
  UniqueNativeBuffer basic(QueryThreadBasicInformation(duplicate.handle.Get()));
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
