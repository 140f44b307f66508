#include "SetupSrc/TKoPropertyPage.h"

QWidget *TKoPropertyPage::GetPage(int n) const
{
    return n >= 0 && n < Count() ? m_controls[n] : nullptr;
}

void TKoPropertyPage::AlignPages(int n)
{
    QWidget *model = GetPage(n);
    if (!model) return;
    for (QWidget *page : std::as_const(m_controls))
        if (page != model) page->setGeometry(model->geometry());
}

void TKoPropertyPage::ShowPage(int n)
{
    QWidget *shown = GetPage(n);
    if (!shown) return;
    for (QWidget *page : std::as_const(m_controls))
        if (page != shown) page->setVisible(false);
    shown->setVisible(true);
    m_currentControl = shown;
    m_currentIndex = n;
}

bool TKoPropertyPage::Back()
{
    if (m_currentIndex <= 0) return false;
    ShowPage(m_currentIndex - 1);
    return true;
}

bool TKoPropertyPage::Next()
{
    if (m_currentIndex >= Count() - 1) return false;
    ShowPage(m_currentIndex + 1);
    return true;
}
