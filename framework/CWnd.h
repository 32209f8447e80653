// CWnd: a thin, non-owning holder of a window handle. Each method sends one
// message or makes one call; the window is never destroyed by the holder.
//
// A window can also be subclassed (dialogs are, by CDialog): its messages then
// go through the object's message map first, and a handler can pass the
// message being handled on to the window's original procedure with Default().
#pragma once

#include "framework/CString.h"
#include "framework/CmdTarget.h"

class CMenu;

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)

 public:
  HWND m_hWnd = nullptr;

  CWnd() = default;
  explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  ~CWnd() override;  // undoes a subclassing; never destroys the window

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  // Holds hWnd (only when nothing is held yet); Detach lets go and returns it.
  BOOL Attach(HWND hWnd);
  HWND Detach();

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL ShowWindow(int nCmdShow) const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) const;
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE) const;
  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  BOOL IsIconic() const;
  BOOL IsWindowVisible() const;
  void SetWindowText(LPCWSTR lpszString) const;
  void GetWindowText(CString& rString) const;
  HICON SetIcon(HICON hIcon, BOOL bBigIcon) const;  // WM_SETICON
  CWnd GetParent() const;                           // a holder of the parent window (may hold null)
  CMenu GetSystemMenu(BOOL bRevert) const;          // a holder of the system menu (may hold null)
  BOOL DestroyWindow();

  // Routes the window's messages through this object's message map until
  // the window is destroyed (WM_NCDESTROY detaches) or UnsubclassWindow.
  BOOL SubclassWindow(HWND hWnd);
  HWND UnsubclassWindow();

  // Runs the original procedure's handling of the message being handled now
  // (0 when no message is being handled). Safe for nested messages.
  LRESULT Default();
  // The original procedure of a subclassed window, else DefWindowProcW.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Default handling of WM_PAINT, for derived handlers to fall back on.
  void OnPaint();

 protected:
  // Called after a subclassed window is gone and the object detached.
  virtual void PostNcDestroy() {}

 private:
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const CurrentMessage* pPrevious;
  };

  static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnFinalNcDestroy();

  WNDPROC m_pfnSuper = nullptr;                   // the original procedure while subclassed
  const CurrentMessage* m_pCurrentMsg = nullptr;  // innermost message being handled
};
