// CHeaderCtrl: header-control messages.
#include "framework/CHeaderCtrl.h"

int CHeaderCtrl::GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
