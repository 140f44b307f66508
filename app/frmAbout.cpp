#include "app/frmAbout.h"

#include "ui/ModalDialog.h"
#include "ui/ProductIcon.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("frmAbout");
}

frmAbout::frmAbout(QWidget *owner) : QDialog(owner), m_Controls(this)
{
    setObjectName(kSection);
    setWindowTitle(QStringLiteral("关于"));

    // A picture box, not a label: its picture has no caption to translate.
    picIcon = new QWidget(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFixedSize(64, 64);
    auto *picture = new QLabel(picIcon);
    picture->setPixmap(ProductIcon::pixmap(64));
    picture->setGeometry(0, 0, 64, 64);
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = new QLabel(QStringLiteral("版本"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (int i = 0; i < 2; ++i) {
        auto *line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line1"));
        line->setFrameShape(QFrame::NoFrame);
        line->setFixedHeight(1);
        line->setAutoFillBackground(true);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window,
                         palette.color(i == 0 ? QPalette::Dark : QPalette::Light));
        line->setPalette(palette);
        Line1.append(line);
    }
    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    m_Controls.add(picIcon);
    m_Controls.add(lblTitle);
    m_Controls.add(lblVersion);
    m_Controls.add(Line1.at(0), 0);
    m_Controls.add(Line1.at(1), 1);
    m_Controls.add(cmdOK);

    auto *texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto *rule = new QVBoxLayout;
    rule->setSpacing(0);
    rule->addWidget(Line1.at(0));
    rule->addWidget(Line1.at(1));
    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cmdOK);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(rule);
    layout->addLayout(bottom);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });

    Form_Load();
    setMinimumWidth(360);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

void frmAbout::ShowModal(QWidget *owner)
{
    ModalDialog::show(new frmAbout(owner));
}

QString frmAbout::VersionNumber()
{
    return QStringLiteral("%1.%2.%3")
        .arg(QUORVA_VERSION_MAJOR)
        .arg(QUORVA_VERSION_MINOR)
        .arg(QUORVA_VERSION_REVISION);
}

void frmAbout::Form_Load()
{
    // The product's name is the same in every language.
    m_Language.load({QStringLiteral("lblTitle")});
    lblVersion->setText(m_Language.text(QStringLiteral("Version"), QStringLiteral("版本")) +
                        QLatin1Char(' ') + VersionNumber());
    lblTitle->setText(QStringLiteral("Quorva"));
}

void frmAbout::cmdOK_Click()
{
    accept();
}
