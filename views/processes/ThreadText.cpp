#include "views/processes/ThreadText.h"

#include <iterator>

#include "views/processes/ProcessText.h"

namespace {

const wchar_t* const kThreadStateNames[] = {
    L"Initialized", L"Ready",      L"Running",       L"Standby",  L"Terminated",
    L"Waiting",     L"Transition", L"DeferredReady", L"GateWait",
};

const wchar_t* const kWaitReasonNames[] = {
    L"Executive",        L"FreePage",         L"PageIn",      L"PoolAllocation",   L"DelayExecution",
    L"Suspended",        L"UserRequest",      L"WrExecutive", L"WrFreePage",       L"WrPageIn",
    L"WrPoolAllocation", L"WrDelayExecution", L"WrSuspended", L"WrUserRequest",    L"WrEventPair",
    L"WrQueue",          L"WrLpcReceive",     L"WrLpcReply",  L"WrVirtualMemory",  L"WrPageOut",
    L"WrRendezvous",     L"Spare2",           L"Spare3",      L"Spare4",           L"Spare5",
    L"Spare6",           L"WrKernel",         L"WrResource",  L"WrPushLock",       L"WrMutex",
    L"WrQuantumEnd",     L"WrDispatchInt",    L"WrPreempted", L"WrYieldExecution", L"WrFastMutex",
    L"WrGuardedMutex",   L"WrRundown",
};
static_assert(std::size(kThreadStateNames) == 9, "states 0 to 8");
static_assert(std::size(kWaitReasonNames) == 37, "wait reasons 0 to 36");

template <size_t N>
CString NameOrNumber(const wchar_t* const (&names)[N], uint32_t value) {
  if (value < N) return names[value];
  CString text;
  text.Format(L"%u", value);
  return text;
}

}  // namespace

CString ThreadStateText(uint32_t threadState, uint32_t waitReason) {
  return NameOrNumber(kThreadStateNames, threadState) + L"(" + NameOrNumber(kWaitReasonNames, waitReason) + L")";
}

CString ThreadTimesText(int64_t createTime, int64_t userTime, int64_t kernelTime) {
  return TimeOfDayText(createTime) + L"/" + DurationText(userTime) + L"/" + DurationText(kernelTime);
}

std::array<CString, kThreadColumnCount> ThreadCells(int index, const ThreadRecord& thread) {
  CString switches;
  switches.Format(L"%u", thread.contextSwitches);
  return {
      RowNumberText(index),
      Int64Text(static_cast<int64_t>(thread.threadId)),
      PointerText(thread.startAddress) + L"/" + PointerText(thread.win32StartAddress),
      DecimalText(thread.priority),
      ThreadStateText(thread.threadState, thread.waitReason),
      HexText(thread.stackBase) + L"/" + HexText(thread.stackLimit),
      PointerText(thread.tebAddress),
      switches,
      ThreadTimesText(thread.createTime, thread.userTime, thread.kernelTime),
  };
}
