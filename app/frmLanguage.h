#pragma once

#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QDialog>
#include <functional>

class QListWidget;
class QListWidgetItem;
class QPushButton;

// The language chooser: lists the language files ("*.Lan" in the folder "Lang" beside the
// program) and makes the chosen one current at once, in the main window and every session
// window.
class frmLanguage : public QDialog
{
    Q_OBJECT

public:
    explicit frmLanguage(QWidget *owner = nullptr);

    // Opens a new chooser modally over the owner; returns at once (see ModalDialog). `chosen`
    // runs when a language has been made current, so that the windows take its texts.
    static void ShowModal(QWidget *owner, std::function<void()> chosen);

    void OKButton_Click();
    void CancelButton_Click();

    QListWidget *LstLanguage = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_Load();

    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
    bool m_Done = false;
    std::function<void()> m_Chosen;
};
