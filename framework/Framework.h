// The whole class library in one include.
#pragma once

#include "framework/CDialog.h"
#include "framework/CEdit.h"
#include "framework/CHeaderCtrl.h"
#include "framework/CImageList.h"
#include "framework/CListCtrl.h"
#include "framework/CMenu.h"
#include "framework/CPaintDC.h"
#include "framework/CPropertyPage.h"
#include "framework/CStatic.h"
#include "framework/CString.h"
#include "framework/CTabCtrl.h"
#include "framework/CTreeCtrl.h"
#include "framework/CWinApp.h"
#include "framework/CWnd.h"
#include "framework/DataExchange.h"
#include "framework/Module.h"
