// Every native routine that reports a status, made to fail in three ways,
// one routine at a time, while the whole dialog is driven: it always fails,
// it fails on every third call, or it succeeds with an empty answer. Each run
// must end without a crash or a hang, and with every handle and native buffer
// given back.
#include <windows.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "app/CHalvernDlg.h"
#include "native/NativeApi.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LeakCounters.h"
#include "tests/support/SlotOverride.h"
#include "tests/sweep/UiTour.h"

namespace {

enum class Fault { kAlwaysFails, kFailsEveryThirdCall, kEmptyAnswer };
constexpr NTSTATUS kStatusUnsuccessful = static_cast<NTSTATUS>(0xC0000001);

NativeApiTable g_real;
Fault g_fault = Fault::kAlwaysFails;
volatile LONG g_calls = 0;

void** Slots(NativeApiTable& table) { return reinterpret_cast<void**>(&table); }

// Where a routine's answer goes: the buffer, its length and the returned
// length, as argument positions (-1: none).
template <size_t Slot>
struct Answer {
  static constexpr int kBuffer = -1, kLength = -1, kReturned = -1;
};
#define HALVERN_ANSWER(slot, buffer, length, returned)                             \
  template <>                                                                      \
  struct Answer<offsetof(NativeApiTable, slot) / sizeof(void*)> {                  \
    static constexpr int kBuffer = buffer, kLength = length, kReturned = returned; \
  };
HALVERN_ANSWER(NtQuerySystemInformation, 1, 2, 3)
HALVERN_ANSWER(NtQueryObject, 2, 3, 4)
HALVERN_ANSWER(NtQueryInformationProcess, 2, 3, 4)
HALVERN_ANSWER(NtQueryInformationThread, 2, 3, 4)
HALVERN_ANSWER(NtReadVirtualMemory, 2, 3, 4)
HALVERN_ANSWER(NtQueryVirtualMemory, 3, 4, 5)
HALVERN_ANSWER(NtQueryInformationFile, 2, 3, -1)
HALVERN_ANSWER(NtQueryDirectoryObject, 1, 2, 6)
#undef HALVERN_ANSWER

template <size_t Slot, typename Fn>
struct Faulty;

template <size_t Slot, typename... Args>
struct Faulty<Slot, NTSTATUS(NTAPI*)(Args...)> {
  using Fn = NTSTATUS(NTAPI*)(Args...);

  static NTSTATUS NTAPI Call(Args... args) {
    const Fn real = reinterpret_cast<Fn>(Slots(g_real)[Slot]);
    const LONG call = InterlockedIncrement(&g_calls);
    if (g_fault == Fault::kFailsEveryThirdCall && call % 3 != 0) return real(args...);
    if (g_fault == Fault::kEmptyAnswer) return EmptyAnswer(real, args...);
    // A release that reports failure has still released: the code must not
    // release twice, and the sweep must not count a leak it caused itself.
    if (Slot == offsetof(NativeApiTable, NtClose) / sizeof(void*) ||
        Slot == offsetof(NativeApiTable, NtFreeVirtualMemory) / sizeof(void*)) {
      real(args...);
    }
    return kStatusUnsuccessful;
  }

  static NTSTATUS EmptyAnswer(Fn real, Args... args) {
    using A = Answer<Slot>;
    if constexpr (A::kBuffer < 0) {
      return real(args...);  // nothing to empty: opens, closes, allocations
    } else {
      auto all = std::forward_as_tuple(args...);
      void* buffer = std::get<A::kBuffer>(all);
      if (buffer) std::memset(buffer, 0, static_cast<size_t>(std::get<A::kLength>(all)));
      if constexpr (A::kReturned >= 0) {
        if (auto* returned = std::get<A::kReturned>(all)) *returned = 0;
      }
      if constexpr (Slot == offsetof(NativeApiTable, NtQueryInformationFile) / sizeof(void*)) {
        if (auto* io = std::get<1>(all)) io->Information = 0;
      }
      return kStatusSuccess;
    }
  }
};

// A symbolic-link target answers an empty string.
NTSTATUS NTAPI EmptyLinkTarget(HANDLE link, PUNICODE_STRING target, PULONG returned) {
  const LONG call = InterlockedIncrement(&g_calls);
  if (g_fault == Fault::kFailsEveryThirdCall && call % 3 != 0)
    return g_real.NtQuerySymbolicLinkObject(link, target, returned);
  if (g_fault == Fault::kAlwaysFails) return kStatusUnsuccessful;
  if (target) target->Length = 0;
  if (returned) *returned = 0;
  return kStatusSuccess;
}

struct Routine {
  const char* name;
  size_t slot;
  void* fake;
};

#define HALVERN_ROUTINE(slot)                                                                                \
  Routine {                                                                                                  \
#slot, offsetof(NativeApiTable, slot) / sizeof(void*),                                                   \
        reinterpret_cast < void*>                                                                            \
            (&Faulty <offsetof(NativeApiTable, slot) / sizeof(void*), decltype(NativeApiTable::slot)>::Call) \
  }

// Time conversion, string set-up and comparison cannot fail: left out.
const Routine kRoutines[] = {
    HALVERN_ROUTINE(NtQuerySystemInformation),
    HALVERN_ROUTINE(NtAllocateVirtualMemory),
    HALVERN_ROUTINE(NtFreeVirtualMemory),
    HALVERN_ROUTINE(NtQueryObject),
    HALVERN_ROUTINE(NtQueryInformationProcess),
    HALVERN_ROUTINE(NtQueryInformationThread),
    HALVERN_ROUTINE(NtOpenProcess),
    HALVERN_ROUTINE(NtOpenThread),
    HALVERN_ROUTINE(NtAdjustPrivilegesToken),
    HALVERN_ROUTINE(NtClose),
    HALVERN_ROUTINE(NtOpenProcessToken),
    HALVERN_ROUTINE(NtReadVirtualMemory),
    HALVERN_ROUTINE(NtQueryVirtualMemory),
    HALVERN_ROUTINE(NtOpenSymbolicLinkObject),
    {"NtQuerySymbolicLinkObject", offsetof(NativeApiTable, NtQuerySymbolicLinkObject) / sizeof(void*),
     reinterpret_cast<void*>(&EmptyLinkTarget)},
    HALVERN_ROUTINE(NtOpenFile),
    HALVERN_ROUTINE(NtQueryInformationFile),
    HALVERN_ROUTINE(NtDuplicateObject),
    HALVERN_ROUTINE(NtQueryDirectoryObject),
    HALVERN_ROUTINE(NtOpenDirectoryObject),
};
#undef HALVERN_ROUTINE

// Ends the process when one run takes longer than a user would wait, so a
// hang shows as a failure that names its routine.
class Watchdog {
 public:
  explicit Watchdog(std::string what) : m_what(std::move(what)) {
    CreateTimerQueueTimer(&m_timer, nullptr, &Watchdog::Bark, this, 30000, 0, WT_EXECUTEONLYONCE);
  }
  ~Watchdog() { DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE); }

 private:
  static VOID CALLBACK Bark(PVOID self, BOOLEAN) {
    fprintf(stderr, "hang: %s\n", static_cast<Watchdog*>(self)->m_what.c_str());
    fflush(stderr);
    ExitProcess(3);
  }
  std::string m_what;
  HANDLE m_timer = nullptr;
};

class FaultSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureCommonControls();
    EnsureNativeApiBound();
    ASSERT_TRUE(m_child.Start(false, L"--wait --event HalvernSweepEvent --threads 2"));
  }

  // One tour of a fresh dialog with `routine` faulty (null: all real).
  void Tour(const Routine* routine) {
    CHalvernDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_HALVERN_DIALOG, nullptr));
    g_real = g_NativeApi;  // as the dialog bound it
    g_calls = 0;
    if (routine) Slots(g_NativeApi)[routine->slot] = routine->fake;
    TourMainDialog(dlg, m_child.Pid(), 3);
    g_NativeApi = g_real;
    dlg.DestroyWindow();
    PumpMessages(0);
  }

  ChildProcess m_child;
};

TEST_F(FaultSweep, EveryRoutineFailingInEveryWayLeavesNoCrashHangOrLeak) {
  for (int i = 0; i < 2; ++i) {  // warm-up: modules, fonts, icons, the first threads
    SCOPED_TRACE("warm-up");     // gtest starts a watcher thread for its first trace
    Watchdog watchdog("warm-up");
    Tour(nullptr);
  }
  const LeakCounts before = TakeLeakCounts();
  for (Fault fault : {Fault::kAlwaysFails, Fault::kFailsEveryThirdCall, Fault::kEmptyAnswer}) {
    for (const Routine& routine : kRoutines) {
      const std::string what = std::string(routine.name) + " fault " + std::to_string(static_cast<int>(fault));
      SCOPED_TRACE(what);
      g_fault = fault;
      {
        Watchdog watchdog(what);
        Tour(&routine);
      }
      ExpectNoLeaks(before, TakeLeakCounts());
    }
  }
}

}  // namespace
