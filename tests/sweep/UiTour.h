// Drives the whole main dialog once, as a user would: every main tab, the
// detail view of one process with its three tabs, the root, a directory and
// "ObjectTypes" of the object tree, and the debug-output list.
#pragma once

#include <windows.h>

#include "framework/Framework.h"

class CHalvernDlg;
class CPage0;

// Shows every page of `dlg` in turn. `detailPid` is the process whose detail
// view is opened (when its row is listed at all); `debugMessages` are sent
// while DebugView is shown (they stay listed: that list only grows). A tour
// never fails, it only drives.
void TourMainDialog(CHalvernDlg& dlg, DWORD detailPid, int debugMessages = 0);

// What a click on item k of `tab` does: select it, then notify `parent`.
void NotifyTabChange(CWnd& parent, CTabCtrl& tab, int k);
// What a click on main tab k does.
void SelectMainTab(CHalvernDlg& dlg, int k);
// What a double-click on the row of process `pid` does: the detail view opens
// on its modules tab. False when the process is not listed.
bool DoubleClickProcessRow(CPage0& page, DWORD pid);
