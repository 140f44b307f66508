#include "platform/excel/Comment.h"

#include "platform/excel/ModelErrors.h"
#include "platform/excel/Worksheet.h"

namespace excel {

Comment::Comment(std::shared_ptr<Worksheet> sheet, int row, int column)
    : m_sheet(std::move(sheet)), m_row(row), m_column(column)
{
}

CellComment *Comment::find() const
{
    SheetData &sheet = m_sheet->data();
    auto it = sheet.comments.find(SheetData::commentKey(m_row, m_column));
    if (it == sheet.comments.end()) ModelErrors::gone(QStringLiteral("The comment"));
    return &it->second;
}

QString Comment::Text() const
{
    return find()->text;
}

QString Comment::Text(const QString &text)
{
    find()->text = text;
    m_sheet->markChanged();
    return text;
}

QString Comment::Author() const
{
    return find()->author;
}

void Comment::Delete()
{
    find();
    m_sheet->data().comments.erase(SheetData::commentKey(m_row, m_column));
    m_sheet->markChanged();
}

} // namespace excel
