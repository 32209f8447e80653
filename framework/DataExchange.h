// Dialog data exchange: binding control members to the dialog's controls.
#pragma once

#include "framework/CDialog.h"

class CDataExchange {
 public:
  CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  BOOL m_bSaveAndValidate;  // FALSE while the dialog initialises
  CDialog* m_pDlgWnd;       // the dialog whose controls are bound
};

// Attaches control nIDC of the dialog to rControl, once: a control that is
// already bound stays as it is, and a missing control leaves rControl without
// a window. The binding ends when the dialog's window is destroyed.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
