#include "ui/ClsOptionTab.h"

#include <QTreeWidget>

#include <QWidget>

void ClsOptionTab::AddSons(const QList<QWidget *> &pages)
{
    for (QWidget *page : pages) {
        if (!page) continue;
        const QString name = page->objectName();
        bool present = false;
        for (const auto &p : m_pages)
            if (p.first == name) present = true;
        if (!present) m_pages.append({name, page});
    }
}

void ClsOptionTab::SetFather(QWidget *host)
{
    m_father = host;
}

void ClsOptionTab::ShowPage(const QString &strCtrlName)
{
    bool known = false;
    for (const auto &p : m_pages)
        if (p.first == strCtrlName && p.second) known = true;
    if (!known) return;

    for (const auto &p : m_pages) {
        QWidget *page = p.second;
        if (!page) continue;
        if (p.first == strCtrlName) {
            if (m_father && page->parentWidget() != m_father) page->setParent(m_father);
            m_shown = page;
            OnFatherResize();
            page->show();
        } else {
            page->hide();
        }
    }
}

void ClsOptionTab::OnFatherResize()
{
    if (!m_shown || !m_father) return;
    m_shown->setGeometry(0, 0, m_father->width(), m_father->height());
}

void ClsOptionTab::SetUpPageTree(QTreeWidget *tree, std::function<void(QTreeWidgetItem *)> onNode)
{
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(false);
    QObject::connect(tree, &QTreeWidget::itemClicked, tree, onNode);
    QObject::connect(tree, &QTreeWidget::currentItemChanged, tree,
                     [onNode](QTreeWidgetItem *node) { onNode(node); });
}
