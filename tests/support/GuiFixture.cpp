// GUI test helpers: host window, common controls, message pumping.
#include "tests/support/GuiFixture.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kHostClassName[] = L"GuiFixtureHost";

void PumpQueued() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

ATOM RegisterHostClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ::DefWindowProcW;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kHostClassName;
  return ::RegisterClassExW(&wc);
}

}  // namespace

void EnsureCommonControls() {
  static const BOOL registered = [] {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    return ::InitCommonControlsEx(&icc);
  }();
  (void)registered;
}

bool PumpMessagesUntil(std::function<bool()> cond, DWORD timeoutMs) {
  const ULONGLONG start = ::GetTickCount64();
  for (;;) {
    PumpQueued();
    if (cond()) return true;
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    if (elapsed >= timeoutMs) return cond();
    const DWORD left = static_cast<DWORD>(timeoutMs - elapsed);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, left < 10 ? left : 10, QS_ALLINPUT);
  }
}

void PumpMessages(DWORD ms) {
  PumpMessagesUntil([] { return false; }, ms);
}

GuiHostWindow::GuiHostWindow(int clientWidth, int clientHeight) {
  EnsureCommonControls();
  static const ATOM hostClass = RegisterHostClass();
  (void)hostClass;
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  RECT rect = {0, 0, clientWidth, clientHeight};
  ::AdjustWindowRectEx(&rect, style, FALSE, 0);
  m_hWnd = ::CreateWindowExW(0, kHostClassName, L"Test host", style, 0, 0, rect.right - rect.left,
                             rect.bottom - rect.top, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (m_hWnd != nullptr) {
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::UpdateWindow(m_hWnd);
  }
}

GuiHostWindow::~GuiHostWindow() {
  if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
  PumpQueued();
}

int GuiHostWindow::ClientWidth() const {
  RECT rect = {};
  ::GetClientRect(m_hWnd, &rect);
  return rect.right - rect.left;
}

int GuiHostWindow::ClientHeight() const {
  RECT rect = {};
  ::GetClientRect(m_hWnd, &rect);
  return rect.bottom - rect.top;
}

void GuiFixture::SetUp() {
  m_host = std::make_unique<GuiHostWindow>();
  ASSERT_NE(m_host->Hwnd(), nullptr);
}

void GuiFixture::TearDown() { m_host.reset(); }
