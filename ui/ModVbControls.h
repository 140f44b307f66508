#pragma once

#include <QList>
#include <QString>

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

// Small procedures that the windows share for their standard controls. They keep no state and
// show no messages. Check boxes are read and set through CheckValue (0, 1, 2 for grayed); a
// check-box row is indexed from 0 and packs into a mask with bit i for a box whose value is 1.
namespace ModVbControls {

// Selects the first item whose text equals the text exactly (case counts); none leaves the
// selection as it is.
void SelectListBoxItem(QListWidget *list, const QString &text);
void SelectComboBoxItem(QComboBox *combo, const QString &text);
// The 1-based position after the view's last item: its number of items plus one.
int GetNextListViewIndex(const QAbstractItemView *view);
int BoolToCheckValue(bool value);
// Filters one typed character of a number field in place (NumericKeyFilter::filterKey).
void FilterNumericKey(int &key, int mode);
// Runs FilterNumericKey on every character typed or committed by an input method into the
// field (the field owns the filter).
void InstallNumericKeyFilter(QLineEdit *field, int mode);
// Empties the combo box, adds "自动" and 1 to 10, and shows the text.
void FillNumberCombo(QComboBox *combo, const QString &text);
// Sum of 2^i over the boxes 0..last that are checked. A box missing from the row raises
// BasicError 9.
int GetCheckArrayMask(const QList<QCheckBox *> &row, int last);
// Checks box i (0..last) when bit i of the mask is set and clears it otherwise; the boxes'
// own signals run, so the rules tied to them run as on a click.
void SetCheckArrayMask(const QList<QCheckBox *> &row, int last, int mask);

} // namespace ModVbControls
