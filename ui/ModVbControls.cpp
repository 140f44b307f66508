#include "ui/ModVbControls.h"

#include "platform/text/BasicError.h"
#include "ui/CheckValue.h"
#include "ui/NumericKeyFilter.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace ModVbControls {

namespace {

QCheckBox *box(const QList<QCheckBox *> &row, int i)
{
    if (i < 0 || i >= row.size() || !row[i])
        throw BasicError(BasicError::SubscriptOutOfRange,
                         QStringLiteral("check box %1 of a row of %2").arg(i).arg(row.size()));
    return row[i];
}

} // namespace

void SelectListBoxItem(QListWidget *list, const QString &text)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text) {
            list->setCurrentRow(i);
            return;
        }
}

void SelectComboBoxItem(QComboBox *combo, const QString &text)
{
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text) {
            combo->setCurrentIndex(i);
            return;
        }
}

int GetNextListViewIndex(const QAbstractItemView *view)
{
    const QAbstractItemModel *model = view ? view->model() : nullptr;
    return model ? model->rowCount(view->rootIndex()) + 1 : 1;
}

int BoolToCheckValue(bool value)
{
    return value ? 1 : 0;
}

void FilterNumericKey(int &key, int mode)
{
    NumericKeyFilter::filterKey(key, mode);
}

void InstallNumericKeyFilter(QLineEdit *field, int mode)
{
    field->installEventFilter(new NumericKeyFilter(mode, field));
}

void FillNumberCombo(QComboBox *combo, const QString &text)
{
    combo->clear();
    combo->addItem(QStringLiteral("自动"));
    for (int i = 1; i <= 10; ++i)
        combo->addItem(QString::number(i));
    combo->setCurrentText(text);
}

int GetCheckArrayMask(const QList<QCheckBox *> &row, int last)
{
    int mask = 0;
    for (int i = 0; i <= last; ++i)
        if (CheckValue::value(box(row, i)) == 1) mask += 1 << i;
    return mask;
}

void SetCheckArrayMask(const QList<QCheckBox *> &row, int last, int mask)
{
    for (int i = 0; i <= last; ++i)
        CheckValue::setValue(box(row, i), (mask >> i) & 1);
}

} // namespace ModVbControls
