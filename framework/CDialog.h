// CDialog: a dialog from a template in the program's resources, either
// modal (DoModal) or a modeless window (Create), typically a hidden child page.
// Its window is subclassed from WM_INITDIALOG on, so every later message runs
// through the message map; OnInitDialog binds the controls (DoDataExchange).
#pragma once

#include <vector>

#include "framework/CWnd.h"

class CDataExchange;

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  CDialog() = default;
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;  // destroys a window that still exists

  // Creates the modeless dialog nIDTemplate as a window of pParentWnd (a child
  // when the template says WS_CHILD; hidden unless it says WS_VISIBLE) and runs
  // OnInitDialog. FALSE when the object already has a window or creation fails.
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  // Runs the dialog of the constructor's template modally and returns the
  // EndDialog result (-1 when it cannot be created). Without a parent, the
  // current application's main window (when it has one) owns it.
  virtual INT_PTR DoModal();

  // Binds the controls (UpdateData(FALSE)); TRUE lets the dialog manager set the focus.
  virtual BOOL OnInitDialog();
  // Runs DoDataExchange; always TRUE (binding controls cannot be refused).
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  void EndDialog(int nResult);
  bool IsModal() const { return m_bModal; }

 protected:
  // IDOK / IDCANCEL: end a modal dialog with that result. A modeless dialog
  // (a page) stays as it is: Enter or Escape in one of its controls must not
  // take the page away.
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* pDX);
  void PostNcDestroy() override;  // lets go of the controls DDX_Control bound

  DECLARE_MESSAGE_MAP()

 private:
  friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate = 0;
  CWnd* m_pParentWnd = nullptr;
  bool m_bModal = false;
  std::vector<CWnd*> m_boundControls;  // attached by DDX_Control, detached with the window
};
