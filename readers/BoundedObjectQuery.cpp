#include "readers/BoundedObjectQuery.h"

namespace {

constexpr ULONG kFirstQuerySize = 4096;
constexpr int kMaxQueryAttempts = 32;
// The worker only makes one native call; a small stack is plenty.
constexpr SIZE_T kWorkerStackSize = 64 * 1024;
// How long an ended worker may take to be gone before it is given up.
constexpr DWORD kEndWaitMs = 1000;

enum Stage : LONG { kPending, kInCall, kReturned, kBeingEnded };

// Shared with the worker. It lives in a native buffer of its own, not on a
// stack, so that a worker that cannot be ended never writes into memory that
// is reused.
struct QueryCall {
  HANDLE handle;
  ULONG infoClass;
  PVOID buffer;
  ULONG size;
  ULONG returnLength;
  NTSTATUS status;
  volatile LONG stage;
};

DWORD WINAPI RunQuery(LPVOID parameter) {
  auto* call = static_cast<QueryCall*>(parameter);
  InterlockedExchange(&call->stage, kInCall);
  const NTSTATUS status =
      g_NativeApi.NtQueryObject(call->handle, call->infoClass, call->buffer, call->size, &call->returnLength);
  if (InterlockedCompareExchange(&call->stage, kReturned, kInCall) != kInCall) {
    for (;;) Sleep(INFINITE);  // being ended: hold nothing, touch nothing
  }
  call->status = status;
  return 0;
}

enum class Outcome { kAnswered, kTimedOut, kAbandoned, kNoWorker };

// Runs one call on a worker. The worker is ended only once it is inside the
// native call; before that (thread start-up) or after it returned, it is
// waited for.
Outcome RunCallWithin(QueryCall* call, DWORD timeoutMs) {
  call->stage = kPending;
  HANDLE worker = CreateThread(nullptr, kWorkerStackSize, RunQuery, call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!worker) return Outcome::kNoWorker;
  Outcome outcome = Outcome::kAnswered;
  DWORD wait = WaitForSingleObject(worker, timeoutMs);
  while (wait == WAIT_TIMEOUT) {
    const LONG stage = InterlockedCompareExchange(&call->stage, kBeingEnded, kInCall);
    if (stage == kInCall) {
      TerminateThread(worker, 1);
      outcome = WaitForSingleObject(worker, kEndWaitMs) == WAIT_OBJECT_0 ? Outcome::kTimedOut : Outcome::kAbandoned;
      break;
    }
    wait = WaitForSingleObject(worker, stage == kPending ? timeoutMs : INFINITE);
  }
  // A wait that failed says nothing about the worker: it may still be in the call.
  if (wait != WAIT_OBJECT_0 && wait != WAIT_TIMEOUT) outcome = Outcome::kAbandoned;
  CloseHandle(worker);
  return outcome;
}

}  // namespace

NativeBuffer QueryObjectInformationWithin(UniqueNtHandle handle, ULONG infoClass, DWORD timeoutMs) {
  UniqueNativeBuffer control(AllocNativeBuffer(sizeof(QueryCall)));
  if (!control) return nullptr;
  auto* call = static_cast<QueryCall*>(control.Get());
  ULONG size = kFirstQuerySize;
  for (int attempt = 0; attempt < kMaxQueryAttempts; ++attempt) {
    UniqueNativeBuffer answer(AllocNativeBuffer(size));
    if (!answer) return nullptr;
    *call = QueryCall{handle.Get(), infoClass, answer.Get(), size, 0, 0, kPending};
    const Outcome outcome = RunCallWithin(call, timeoutMs);
    if (outcome == Outcome::kAbandoned) {
      // The system may still write into these; they are never released.
      answer.Release();
      control.Release();
      handle.Release();
      return nullptr;
    }
    if (outcome != Outcome::kAnswered) return nullptr;
    if (call->status == kStatusInfoLengthMismatch) {
      size = call->returnLength;
      continue;
    }
    if (!NtSuccess(call->status)) return nullptr;
    return answer.Release();
  }
  return nullptr;
}
