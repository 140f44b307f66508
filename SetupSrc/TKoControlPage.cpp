#include "SetupSrc/TKoControlPage.h"

void TKoControlPage::AddControl(QWidget *control)
{
    if (control && !m_controls.contains(control)) m_controls.append(control);
}
