#pragma once

#include "platform/excel/SheetData.h"

#include <QString>
#include <memory>

namespace excel {

class Worksheet;

// A cell's comment.
class Comment
{
public:
    Comment(std::shared_ptr<Worksheet> sheet, int row, int column);

    QString Text() const;
    // Replaces the text and returns it (the Text method with its text argument).
    QString Text(const QString &text);
    void setText(const QString &text) { Text(text); }
    QString Author() const;
    void Delete();

    int row() const { return m_row; }
    int column() const { return m_column; }

private:
    CellComment *find() const;

    std::shared_ptr<Worksheet> m_sheet;
    int m_row;
    int m_column;
};

} // namespace excel
