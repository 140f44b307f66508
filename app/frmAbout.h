#pragma once

#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QDialog>
#include <QList>

class QFrame;
class QLabel;
class QPushButton;

// The About box: the product's picture, name and version.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *owner = nullptr);

    // Opens a new About box modally over the owner; returns at once (see ModalDialog).
    static void ShowModal(QWidget *owner);
    // The program's version as the build gives it: major.minor.revision, plain decimal numbers.
    static QString VersionNumber();

    void cmdOK_Click();

    QWidget *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QList<QFrame *> Line1; // two lines that make one etched rule
    QPushButton *cmdOK = nullptr;

private:
    void Form_Load();

    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
};
