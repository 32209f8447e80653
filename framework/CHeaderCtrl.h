// CHeaderCtrl: a non-owning holder of a header control (a list's column header).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/CWnd.h"

class CHeaderCtrl : public CWnd {
 public:
  CHeaderCtrl() = default;
  explicit CHeaderCtrl(HWND hWnd) : CWnd(hWnd) {}

  int GetItemCount() const;  // HDM_GETITEMCOUNT
};
