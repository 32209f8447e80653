#include "views/processes/DetailProcessId.h"

ULONG_PTR ReadDetailProcessId(const CWnd& page) {
  const CWnd tab = page.GetParent();
  TCITEMW item{};
  item.mask = TCIF_PARAM;
  tab.SendMessage(TCM_GETITEMW, kDetailItem, reinterpret_cast<LPARAM>(&item));
  return static_cast<ULONG_PTR>(item.lParam);
}
