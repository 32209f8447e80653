// CStatic: a non-owning holder of a static control (frames and group boxes included).
#pragma once

#include "framework/CWnd.h"

class CStatic : public CWnd {
 public:
  CStatic() = default;
  explicit CStatic(HWND hWnd) : CWnd(hWnd) {}
};
