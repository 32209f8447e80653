// CWnd: the handle holder's calls, subclassing, and the window procedure
// that runs each message through the message map.
#include "framework/CWnd.h"

#include "framework/CMenu.h"
#include "framework/CWinApp.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

namespace {

// The window property that leads a subclassed window's procedure to its object.
constexpr wchar_t kObjectProperty[] = L"FrameworkWindowObject";

}  // namespace

CWnd::~CWnd() {
  if (m_pfnSuper != nullptr) UnsubclassWindow();
}

BOOL CWnd::Attach(HWND hWnd) {
  if (m_hWnd != nullptr || hWnd == nullptr) return FALSE;
  m_hWnd = hWnd;
  return TRUE;
}

HWND CWnd::Detach() {
  if (m_pfnSuper != nullptr) return UnsubclassWindow();
  HWND hWnd = m_hWnd;
  m_hWnd = nullptr;
  return hWnd;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) const {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) const {
  MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}

void CWnd::GetClientRect(LPRECT lpRect) const {
  if (!::GetClientRect(m_hWnd, lpRect)) ::SetRectEmpty(lpRect);
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
  if (!::GetWindowRect(m_hWnd, lpRect)) ::SetRectEmpty(lpRect);
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

void CWnd::SetWindowText(LPCWSTR lpszString) const { ::SetWindowTextW(m_hWnd, lpszString); }

void CWnd::GetWindowText(CString& rString) const {
  const int length = ::GetWindowTextLengthW(m_hWnd);
  rString.Empty();
  if (length <= 0) return;
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(m_hWnd, &buffer[0], length + 1);
  rString = CString(buffer.c_str(), copied > 0 ? copied : 0);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) const {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

CWnd CWnd::GetParent() const { return CWnd(::GetParent(m_hWnd)); }

CMenu CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu(::GetSystemMenu(m_hWnd, bRevert)); }

BOOL CWnd::DestroyWindow() {
  if (m_hWnd == nullptr) return FALSE;
  // A subclassed window detaches itself on WM_NCDESTROY; a plain holder lets go here.
  HWND hWnd = m_hWnd;
  const BOOL destroyed = ::DestroyWindow(hWnd);
  if (destroyed && m_pfnSuper == nullptr && m_hWnd == hWnd) m_hWnd = nullptr;
  return destroyed;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd != nullptr || hWnd == nullptr || ::GetPropW(hWnd, kObjectProperty) != nullptr) return FALSE;
  if (!::SetPropW(hWnd, kObjectProperty, this)) return FALSE;
  m_hWnd = hWnd;
  m_pfnSuper =
      reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
  return TRUE;
}

HWND CWnd::UnsubclassWindow() {
  HWND hWnd = m_hWnd;
  if (hWnd != nullptr && m_pfnSuper != nullptr) {
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropW(hWnd, kObjectProperty);
  }
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
  return hWnd;
}

LRESULT CWnd::Default() {
  if (m_pCurrentMsg == nullptr) return 0;
  return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper != nullptr) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

void CWnd::OnPaint() { Default(); }

LRESULT CALLBACK CWnd::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = static_cast<CWnd*>(::GetPropW(hWnd, kObjectProperty));
  if (pWnd == nullptr || pWnd->m_hWnd != hWnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  return pWnd->HandleMessage(message, wParam, lParam);
}

LRESULT CWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // Each message pushes its own frame, so Default() in a handler of a nested
  // message (sent while an outer one is handled) passes on the right one.
  const CurrentMessage frame = {message, wParam, lParam, m_pCurrentMsg};
  m_pCurrentMsg = &frame;
  LRESULT result = 0;
  if (!DispatchToMessageMap(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  m_pCurrentMsg = frame.pPrevious;
  if (message == WM_NCDESTROY && m_pfnSuper != nullptr) OnFinalNcDestroy();
  return result;
}

void CWnd::OnFinalNcDestroy() {
  UnsubclassWindow();
  CWinApp* app = GetCurrentApp();
  if (app != nullptr && app->m_pMainWnd == this) app->m_pMainWnd = nullptr;
  PostNcDestroy();
}
