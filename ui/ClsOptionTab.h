#pragma once

#include <QList>
#include <QPair>
#include <QPointer>
#include <QString>
#include <functional>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The page switcher of the option dialogs: a tree or list picks a page by its container's
// name, and that container is moved into one host container, fitted to it and shown while the
// other pages are hidden.
class ClsOptionTab
{
public:
    // Adds each page under its objectName; a second page of a name already added is left out.
    void AddSons(const QList<QWidget *> &pages);
    void SetFather(QWidget *host);
    // Shows the page of that name inside the host; an unknown name changes nothing.
    void ShowPage(const QString &strCtrlName);
    // Fits the shown page to the host again; nothing before a page is shown.
    void OnFatherResize();

    QWidget *shownPage() const { return m_shown; }

    // Makes `tree` the dialog's list of pages: one column, no header, no root decoration; a
    // click on a node and walking to it with the keyboard both call `onNode`.
    static void SetUpPageTree(QTreeWidget *tree, std::function<void(QTreeWidgetItem *)> onNode);

private:
    QList<QPair<QString, QPointer<QWidget>>> m_pages;
    QPointer<QWidget> m_father;
    QPointer<QWidget> m_shown;
};
