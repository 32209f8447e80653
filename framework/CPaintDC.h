// CPaintDC: BeginPaint on construction, EndPaint on destruction.
#pragma once

#include "framework/CWnd.h"

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  BOOL DrawIcon(int x, int y, HICON hIcon) const;

  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWnd;
  HDC m_hDC;
};
