#pragma once

#include "framework/Framework.h"

// The application: runs the main dialog modally and ends when it closes.
class CHalvernApp : public CWinAppEx {
 public:
  CHalvernApp();
  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};
