// The bodies that every page made of one list control shares: the list is
// control 1001, and it fills the page whenever the page is resized.
#pragma once

#include "framework/Framework.h"
#include "views/common/ListColumns.h"

// Inserts the columns and sets the usual extended styles: double-buffered,
// whole-row selection, grid lines.
template <size_t N>
void SingleListInit(const CListCtrl& list, const ListColumn (&columns)[N]) {
  InsertListColumns(list, columns);
  list.SetExtendedStyle(LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

// Binds control 1001 to the page's list, nothing else.
void SingleListDoDataExchange(CDataExchange* pDX, CListCtrl& list);

// After the default handling of WM_SIZE: when the list has a window, it is
// moved, repainted, to fill the page's new client area.
void SingleListOnSize(CWnd& page, CListCtrl& list, int cx, int cy);
