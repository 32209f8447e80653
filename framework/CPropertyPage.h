// CPropertyPage: a dialog page created as a modeless child window (never in a
// property sheet). The caption id and record size are kept for the record only.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "framework/CDialog.h"

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)

 public:
  explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0, UINT nSize = sizeof(PROPSHEETPAGEW));

  UINT GetTemplateId() const { return m_nIDPage; }
  UINT GetCaptionId() const { return m_nIDCaption; }

 private:
  UINT m_nIDPage;
  UINT m_nIDCaption;
  UINT m_nSize;
};
