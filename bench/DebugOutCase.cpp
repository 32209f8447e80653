// Debug output: one helper floods the channel with "0".."n-1"; the page of a
// fresh main dialog (its list hidden behind the start tab, or shown) lists
// them, against a bare consumer that does the same handshake and lists
// nothing. Only one consumer is live at a time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/CHalvernDlg.h"
#include "bench/Bench.h"
#include "res/resource.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/Producers.h"
#include "tests/sweep/UiTour.h"

namespace {

constexpr long kWindow = 10000;  // rows over which the first and last rates are taken

// The first and last rates over 10,000 rows, or over halves of a shorter run.
long Window(long n) { return std::min(kWindow, n / 2); }

// When the count of listed messages first reached 1, the window, n - the
// window and n; and whether every message 0..n-1 arrived.
struct FloodTimes {
  long rows = kWindow;  // the window of this run
  double first = 0, window = 0, lastStart = 0, last = 0;
  bool complete = false;
  void Mark(long count, long n, double now) {
    if (count >= 1 && first == 0) first = now;
    if (count >= rows && window == 0) window = now;
    if (count >= n - rows && lastStart == 0) lastStart = now;
    if (count >= n && last == 0) last = now;
  }
  double Seconds() const { return last > first ? last - first : 0; }
  double FirstRate() const { return window > first ? (rows - 1) / (window - first) : 0; }
  double LastRate() const { return last > lastStart ? rows / (last - lastStart) : 0; }
};

// The helper sends before it could signal readiness, so it is started bare;
// it ends once its last message is taken.
DWORD StartFlood(Producers& flood, long n) {
  const DWORD pid = flood.Start(false, L"--debug-count " + std::to_wstring(n));
  if (!pid) std::printf("  the helper did not start\n");
  return pid;
}

// Serves this thread's messages until `count()` reaches n, or the helper has
// ended and nothing more arrived for a second.
void PumpFlood(const Producers& flood, long n, const std::function<long()>& count, FloodTimes* times) {
  double idleSince = 0;
  long seen = -1;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const long now = count();
    const double at = Seconds();
    times->Mark(now, n, at);
    if (now >= n) return;
    if (now != seen) {
      seen = now;
      idleSince = at;
    } else if (flood.Ended() && at - idleSince > 1) {
      return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

// "[pid] k" in column 2 of row k, for every k.
bool AllListed(CListCtrl& list, DWORD pid, long n) {
  if (list.GetItemCount() != n) return false;
  wchar_t expected[48];
  for (long k = 0; k < n; ++k) {
    _snwprintf(expected, 48, L"[%lu] %ld", pid, k);
    if (list.GetItemText(k, 2) != expected) return false;
  }
  return true;
}

double PageFlood(long n, bool shown, FloodTimes* times, SIZE_T* peak) {
  auto dlg = std::make_unique<CHalvernDlg>();
  if (!dlg->Create(IDD_HALVERN_DIALOG, nullptr)) return 0;
  dlg->ShowWindow(SW_SHOW);
  if (shown) SelectMainTab(*dlg, 4);
  PumpMessages(200);
  CPage4& page = dlg->m_page4;
  Producers flood;
  DWORD pid = 0;
  TimeInProcess([&] { pid = StartFlood(flood, n); },
                [&] {
                  if (pid)
                    PumpFlood(
                        flood, n, [&] { return static_cast<long>(page.m_nLine); }, times);
                },
                peak);
  page.StopCapture();
  times->complete = AllListed(page.m_list, pid, n);
  dlg->DestroyWindow();
  return times->Seconds();
}

// The bare consumer: the channel's four objects, opened or created as the
// page does, and a thread that takes each message and checks its number.
struct BareConsumer {
  HANDLE mutex, mapping, bufferReady, dataReady, stop;
  const BYTE* buffer;
  volatile LONG count = 0;
  volatile DWORD pid = 0;
  volatile bool inOrder = true;
  HWND idle = nullptr;  // when set, each message is also sent four times to this window

  BareConsumer() {
    mutex = CreateMutexW(nullptr, FALSE, L"DBWinMutex");
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
    buffer = mapping ? static_cast<const BYTE*>(MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 4096))
                     : nullptr;
    bufferReady = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"DBWIN_BUFFER_READY");
    if (!bufferReady) bufferReady = CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY");
    dataReady = OpenEventW(SYNCHRONIZE, FALSE, L"DBWIN_DATA_READY");
    if (!dataReady) dataReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~BareConsumer() {
    if (buffer) UnmapViewOfFile(buffer);
    for (HANDLE h : {mutex, mapping, bufferReady, dataReady, stop})
      if (h) CloseHandle(h);
  }
  bool Ready() const { return buffer && bufferReady && dataReady && stop; }

  static DWORD WINAPI Run(LPVOID self) {
    auto* c = static_cast<BareConsumer*>(self);
    const HANDLE waits[] = {c->stop, c->dataReady};
    for (;;) {
      const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, 500);
      if (waited == WAIT_OBJECT_0) return 0;
      if (waited != WAIT_OBJECT_0 + 1) continue;
      DWORD writer;
      memcpy(&writer, c->buffer, 4);
      const char* text = reinterpret_cast<const char*>(c->buffer + 4);
      if (writer != c->pid || strnlen(text, 4092) == 4092 || std::strtol(text, nullptr, 10) != c->count)
        c->inOrder = false;
      for (int i = 0; c->idle && i < 4; ++i) SendMessageW(c->idle, WM_NULL, 0, 0);
      InterlockedIncrement(&c->count);
      SetEvent(c->bufferReady);
    }
  }
};

double BareFlood(long n, FloodTimes* times, SIZE_T* peak, HWND idle = nullptr) {
  BareConsumer consumer;
  consumer.idle = idle;
  if (!consumer.Ready()) return 0;
  Producers flood;
  HANDLE thread = nullptr;
  TimeInProcess(
      [&] {
        // The helper needs far longer to load than this thread to learn its id.
        consumer.pid = StartFlood(flood, n);
        thread = CreateThread(nullptr, 0, BareConsumer::Run, &consumer, 0, nullptr);
      },
      [&] {
        if (consumer.pid && thread)
          PumpFlood(
              flood, n, [&] { return static_cast<long>(consumer.count); }, times);
      },
      peak);
  if (thread) {
    SetEvent(consumer.stop);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  times->complete = consumer.count == n && consumer.inOrder;
  return times->Seconds();
}

std::string Rates(const std::vector<FloodTimes>& rounds, long n) {
  std::vector<double> all, first, last;
  bool complete = true;
  for (const FloodTimes& t : rounds) {
    all.push_back(t.Seconds() > 0 ? (n - 1) / t.Seconds() : 0);
    first.push_back(t.FirstRate());
    last.push_back(t.LastRate());
    complete = complete && t.complete;
  }
  char text[160];
  const double f = Median(first), l = Median(last);
  std::snprintf(text, sizeof(text), "%.0f/s (first %ld: %.0f/s, last %ld: %.0f/s, last/first %.2f%s), %s", Median(all),
                Window(n), f, Window(n), l, f > 0 ? l / f : 0, f > 0 && l / f >= 2.0 / 3 ? "" : " MISSED",
                complete ? "every message arrived" : "MESSAGES MISSING");
  return text;
}

}  // namespace

CaseResult DebugOutCase(int rounds, long n, bool shown) {
  const char* name = shown ? "debug shown" : "debug hidden";
  std::printf("%s, %ld messages per round\n", name, n);
  std::vector<FloodTimes> pageRounds, bareRounds;
  const Side page = [&](SIZE_T* peak) {
    pageRounds.emplace_back();
    pageRounds.back().rows = Window(n);
    return PageFlood(n, shown, &pageRounds.back(), peak);
  };
  const Side bare = [&](SIZE_T* peak) {
    bareRounds.emplace_back();
    bareRounds.back().rows = Window(n);
    return BareFlood(n, &bareRounds.back(), peak);
  };
  CaseResult result = RunCase(name, 2.0, rounds, page, bare, false);
  // The floor of the page's four messages per row: the bare consumer sending
  // them to a window of this thread that does nothing with them.
  HWND idle = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  std::vector<FloodTimes> idleRounds(1);
  idleRounds.back().rows = Window(n);
  SIZE_T unused = 0;
  BareFlood(n, &idleRounds.back(), &unused, idle);
  DestroyWindow(idle);
  result.detail = std::string(name) + " page: " + Rates(pageRounds, n) + "\n" + name +
                  " bare: " + Rates(bareRounds, n) + "\n" + name +
                  " bare + 4 SendMessageW to an idle window (once): " + Rates(idleRounds, n) + "\n";
  std::printf("%s", result.detail.c_str());
  char note[64];
  std::snprintf(note, sizeof(note), "  (%ld messages)", n);
  result.note = note;
  return result;
}
