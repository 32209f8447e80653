#include "views/common/SingleListPage.h"

void SingleListDoDataExchange(CDataExchange* pDX, CListCtrl& list) { DDX_Control(pDX, 1001, list); }

void SingleListOnSize(CWnd& page, CListCtrl& list, int cx, int cy) {
  page.Default();
  if (list.GetSafeHwnd() == nullptr) return;
  RECT rc{};
  list.GetClientRect(&rc);
  list.MoveWindow(rc.left, rc.top, cx - rc.left, cy - rc.top, TRUE);
}
