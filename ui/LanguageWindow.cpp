#include "ui/LanguageWindow.h"

#include "ui/FormControls.h"
#include "ui/ProductIcon.h"

#include <QWidget>

LanguageWindow::LanguageWindow(QWidget *window, const FormControls &controls)
    : m_Window(window), m_Controls(controls)
{
}

void LanguageWindow::load(const QStringList &skipped, bool title)
{
    m_Window->setWindowIcon(ProductIcon::icon());
    m_Language = std::make_unique<ClsLanguage>();
    m_Language->SkipControls(skipped);
    m_Language->LoadLanguageOfForm(m_Controls.form());
    if (title) m_Window->setWindowTitle(text(section(), m_Window->windowTitle()));
}

QString LanguageWindow::text(const QString &key, const QString &defaultText)
{
    return language().ReadString(section(), key, defaultText);
}

ClsLanguage &LanguageWindow::language()
{
    if (!m_Language) m_Language = std::make_unique<ClsLanguage>();
    return *m_Language;
}

QString LanguageWindow::section() const
{
    return m_Window->objectName();
}
