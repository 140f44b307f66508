#pragma once

#include "core/ClsMap.h"

#include <QString>
#include <memory>

// The result of one matched row pair: its differing columns (the right side's column letter
// mapped to "left<->right"), its row numbers, and the row numbers the difference view gives it
// after aligning the two sheets.
class ClsOneRowDiff
{
public:
    ClsOneRowDiff();

    // Adds the column with its text unless the column is there already (the first text stays).
    void Add(const QString &column, const QString &value);
    // The column's text; an absent column yields "" and is then held with an empty text.
    QString GetValue(const QString &column);
    void SetValue(const QString &column, const QString &value);
    // The field map itself, shared with the caller.
    std::shared_ptr<ClsMap> GetFieldMap() const;
    bool Exists(const QString &column) const;

    int LeftRow() const { return m_leftRow; }
    // Also sets NewLeftRow.
    void setLeftRow(int row);
    bool Equal() const { return m_equal; }
    void setEqual(bool equal) { m_equal = equal; }
    int RightRow() const { return m_rightRow; }
    // Also sets NewRightRow.
    void setRightRow(int row);
    int NewLeftRow() const { return m_newLeftRow; }
    void setNewLeftRow(int row) { m_newLeftRow = row; }
    int NewRightRow() const { return m_newRightRow; }
    void setNewRightRow(int row) { m_newRightRow = row; }

private:
    // The field map, made on first use: most row pairs of a comparison are equal and never
    // need one.
    ClsMap &fields() const;

    mutable std::shared_ptr<ClsMap> m_fields;
    int m_leftRow = 0;
    int m_rightRow = 0;
    int m_newLeftRow = 0;
    int m_newRightRow = 0;
    bool m_equal = false;
};
