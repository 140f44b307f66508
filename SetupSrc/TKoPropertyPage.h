#pragma once

#include "SetupSrc/TKoControlPage.h"

// The wizard's pages: one control per page, of which one is shown at a time.
class TKoPropertyPage : public TKoControlPage
{
public:
    // The control at index n, or null outside the list.
    QWidget *GetPage(int n) const;
    // Gives every other page the place and size of page n (nothing when n is outside the list).
    void AlignPages(int n);
    // Makes page n the only visible one, the current page and index (nothing outside the list).
    void ShowPage(int n);
    // Shows the page before the current one; false at the first.
    bool Back();
    // Shows the page after the current one; false at the last.
    bool Next();

    int CurrentIndex() const { return m_currentIndex; }
    QWidget *CurrentControl() const { return m_currentControl; }

private:
    int m_currentIndex = -1;
    QWidget *m_currentControl = nullptr;
};
