// The capture of CPage4: the channel's four named objects, the thread that
// lists each message, and the stop that lets the message in hand finish.
#include "views/debugout/CPage4.h"

#include "views/debugout/DebugOutText.h"

namespace {

// Without a namespace prefix the names resolve in the session's local
// namespace: the page reaches the producers of its own session.
constexpr wchar_t kMutexName[] = L"DBWinMutex";
constexpr wchar_t kBufferName[] = L"DBWIN_BUFFER";
constexpr wchar_t kBufferReadyName[] = L"DBWIN_BUFFER_READY";
constexpr wchar_t kDataReadyName[] = L"DBWIN_DATA_READY";
constexpr DWORD kDataReadyWaitMs = 500;

// The capture thread sends its rows to the list, which belongs to this
// thread: waiting without serving those messages would never end.
void WaitServingSentMessages(HANDLE thread) {
  MSG msg;
  do {
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  } while (::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1);
}

}  // namespace

BOOL CPage4::StartCapture() {
  if (m_hThread) return TRUE;  // already capturing; a second reader would steal the first one's messages
  // A null DACL, so that producers of every account may use what the page creates.
  SECURITY_DESCRIPTOR sd;
  BOOL ok = ::InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
            ::SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE);
  SECURITY_ATTRIBUTES sa{sizeof(sa), &sd, TRUE};
  ok = ok && OpenChannel(&sa);
  if (ok) {
    ::QueryPerformanceCounter(&m_liStart);
    m_hStopEvent.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_hCaptureList = m_list.GetSafeHwnd();
    if (m_hStopEvent) m_hThread.Reset(::CreateThread(nullptr, 0, &CPage4::CaptureThreadProc, this, 0, nullptr));
    ok = m_hThread ? TRUE : FALSE;
  }
  if (!ok) StopCapture();
  return ok;
}

BOOL CPage4::OpenChannel(SECURITY_ATTRIBUTES* sa) {
  HANDLE mutex = ::CreateMutexW(sa, FALSE, kMutexName);
  const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
  m_hDBWinMutex.Reset(mutex);
  if (!m_hDBWinMutex) return FALSE;
  if (existed && !::SetKernelObjectSecurity(mutex, DACL_SECURITY_INFORMATION, sa->lpSecurityDescriptor)) return FALSE;

  m_hDBWinBuffer.Reset(
      ::CreateFileMappingW(INVALID_HANDLE_VALUE, sa, PAGE_READWRITE, 0, kDBWinBufferSize, kBufferName));
  if (!m_hDBWinBuffer) return FALSE;
  m_pDBWinBuffer.Reset(::MapViewOfFile(m_hDBWinBuffer.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, kDBWinBufferSize));
  if (!m_pDBWinBuffer) return FALSE;

  HANDLE bufferReady = ::OpenEventW(EVENT_ALL_ACCESS, FALSE, kBufferReadyName);
  if (!bufferReady) bufferReady = ::CreateEventW(sa, FALSE, TRUE, kBufferReadyName);
  m_hBufferReady.Reset(bufferReady);
  if (!m_hBufferReady) return FALSE;

  HANDLE dataReady = ::OpenEventW(SYNCHRONIZE, FALSE, kDataReadyName);
  if (!dataReady) dataReady = ::CreateEventW(sa, FALSE, FALSE, kDataReadyName);
  m_hDataReady.Reset(dataReady);
  return m_hDataReady ? TRUE : FALSE;
}

void CPage4::StopCapture() {
  if (m_hThread) {
    ::SetEvent(m_hStopEvent.Get());
    WaitServingSentMessages(m_hThread.Get());
    m_hThread.Reset();
  }
  m_hStopEvent.Reset();
  m_hDBWinMutex.Reset();
  m_pDBWinBuffer.Reset();
  m_hDBWinBuffer.Reset();
  m_hBufferReady.Reset();
  m_hDataReady.Reset();
}

DWORD WINAPI CPage4::CaptureThreadProc(LPVOID lpParameter) {
  CPage4* page = static_cast<CPage4*>(lpParameter);
  // The stop comes first, so that it wins over a message that arrives with it.
  const HANDLE waits[] = {page->m_hStopEvent.Get(), page->m_hDataReady.Get()};
  for (;;) {
    const DWORD waited = ::WaitForMultipleObjects(2, waits, FALSE, kDataReadyWaitMs);
    if (waited == WAIT_OBJECT_0) return 0;
    if (waited == WAIT_OBJECT_0 + 1) page->ListMessage();
  }
}

// One row per message. The buffer-ready event is set only once the row is
// complete: the next producer writes the buffer only after that.
void CPage4::ListMessage() {
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  const LONGLONG elapsed = now.QuadPart - m_liStart.QuadPart;
  FILETIME systemTime{};
  FILETIME localFileTime{};
  SYSTEMTIME localTime{};
  ::GetSystemTimeAsFileTime(&systemTime);
  ::FileTimeToLocalFileTime(&systemTime, &localFileTime);
  ::FileTimeToSystemTime(&localFileTime, &localTime);

  const int line = m_nLine;
  CListCtrl list(m_hCaptureList);
  list.InsertItem(line, MessageNumberText(line));
  list.SetItemText(line, 1, CaptureTimeText(localTime, ElapsedSeconds(elapsed, m_liFreq.QuadPart)));
  list.SetItemText(line, 2, DebugPrintText(ByteSpan(m_pDBWinBuffer.Get(), kDBWinBufferSize)));
  list.EnsureVisible(line, FALSE);
  list.Detach();
  ::InterlockedIncrement(&m_nLine);
  ::SetEvent(m_hBufferReady.Get());
}
