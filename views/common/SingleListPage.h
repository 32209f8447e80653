// The bodies that every page made of one list control shares: the list is
// control 1001, and it fills the page whenever the page is resized.
#pragma once

#include "framework/Framework.h"

// Binds control 1001 to the page's list, nothing else.
void SingleListDoDataExchange(CDataExchange* pDX, CListCtrl& list);

// After the default handling of WM_SIZE: when the list has a window, it is
// moved, repainted, to fill the page's new client area.
void SingleListOnSize(CWnd& page, CListCtrl& list, int cx, int cy);
