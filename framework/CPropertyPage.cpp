// CPropertyPage: a CDialog built on the page's template.
#include "framework/CPropertyPage.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption, UINT nSize)
    : CDialog(nIDTemplate), m_nIDPage(nIDTemplate), m_nIDCaption(nIDCaption), m_nSize(nSize) {}
