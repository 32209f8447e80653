#include "readers/ProcessThreads.h"

#include "native/NativeOwners.h"
#include "readers/ProcessRecord.h"

namespace {

constexpr ACCESS_MASK kThreadQueryInformation = 0x40;
constexpr size_t kTebBaseAddress = 8;  // in THREAD_BASIC_INFORMATION

ThreadRecord RecordOf(const ThreadEntry& entry) {
  ThreadRecord record{};
  record.threadId = entry.UniqueThread();
  record.startAddress = entry.StartAddress();
  record.win32StartAddress = entry.Win32StartAddress();
  record.priority = entry.Priority();
  record.threadState = entry.ThreadState();
  record.waitReason = entry.WaitReason();
  record.stackBase = entry.StackBase();
  record.stackLimit = entry.StackLimit();
  record.tebAddress = entry.TebBase();
  if (record.tebAddress == 0) record.tebAddress = QueryThreadTebAddress(entry.UniqueProcess(), entry.UniqueThread());
  record.contextSwitches = entry.ContextSwitches();
  record.createTime = entry.CreateTime();
  record.userTime = entry.UserTime();
  record.kernelTime = entry.KernelTime();
  return record;
}

}  // namespace

ULONG_PTR QueryThreadTebAddress(ULONG_PTR processId, ULONG_PTR threadId) {
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  CLIENT_ID clientId{};
  clientId.UniqueProcess = reinterpret_cast<HANDLE>(processId);
  clientId.UniqueThread = reinterpret_cast<HANDLE>(threadId);
  HANDLE raw = nullptr;
  // A failed open's handle value means nothing; only a real one is owned.
  if (!NtSuccess(g_NativeApi.NtOpenThread(&raw, kThreadQueryInformation, &attributes, &clientId)) || !raw) return 0;
  UniqueNtHandle thread(raw);
  UniqueNativeBuffer basic(QueryThreadBasicInformation(thread.Get()));
  return basic ? SpanOfNativeBuffer(basic.Get()).Ptr(kTebBaseAddress) : 0;
}

bool ReadProcessThreads(ULONG_PTR processId, std::vector<ThreadRecord>* threads) {
  threads->clear();
  UniqueNativeBuffer snapshot(QueryProcessSnapshot());
  if (!snapshot) return false;
  ProcessRecord process;
  if (!FindProcessRecord(SpanOfNativeBuffer(snapshot.Get()), processId, &process)) return false;
  const uint32_t count = process.ThreadEntryCount();
  threads->reserve(count);
  for (uint32_t i = 0; i < count; ++i) threads->push_back(RecordOf(ThreadEntry(process.ThreadEntry(i))));
  return true;
}
