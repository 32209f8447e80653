// CEdit: a non-owning holder of an edit control; its text is CWnd's window text.
#pragma once

#include "framework/CWnd.h"

class CEdit : public CWnd {
 public:
  CEdit() = default;
  explicit CEdit(HWND hWnd) : CWnd(hWnd) {}
};
