// The process that the per-process pages show.
#pragma once

#include <windows.h>

#include "framework/Framework.h"

// The detail tab's item in the process page's tab control.
constexpr int kDetailItem = 3;

// The process id in the lParam of item 3 of the tab control that hosts
// `page` (the page's parent); 0 when that item is missing.
ULONG_PTR ReadDetailProcessId(const CWnd& page);
