#include "platform/excel/XlsxCommentWriter.h"

#include "platform/excel/XlsxXml.h"

#include <QHash>

namespace excel {

QByteArray XlsxCommentWriter::commentsXml(const SheetData &sheet)
{
    QHash<QString, int> authorIds;
    QByteArray authors;
    QByteArray list;
    for (const auto &[key, comment] : sheet.comments) {
        int row = int(key >> 16), column = int(key & 0xFFFF);
        auto it = authorIds.constFind(comment.author);
        int authorId;
        if (it == authorIds.constEnd()) {
            authorId = int(authorIds.size());
            authorIds.insert(comment.author, authorId);
            authors += "<author>" + XlsxXml::escaped(comment.author) + "</author>";
        } else {
            authorId = it.value();
        }
        list += "<comment ref=\"" + XlsxXml::cellReference(row, column) + "\" authorId=\"" +
                QByteArray::number(authorId) + "\"><text><t xml:space=\"preserve\">";
        XlsxXml::appendEscaped(list, comment.text);
        list += "</t></text></comment>";
    }
    if (authorIds.isEmpty()) authors = "<author></author>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<comments xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
           "<authors>" +
           authors + "</authors><commentList>" + list + "</commentList></comments>";
}

QByteArray XlsxCommentWriter::vmlXml(const SheetData &sheet, int shapeBlock)
{
    QByteArray out = "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
                     "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                     "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
                     "<o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"" +
                     QByteArray::number(shapeBlock) +
                     "\"/></o:shapelayout>"
                     "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
                     "path=\"m,l,21600r21600,l21600,xe\"><v:stroke joinstyle=\"miter\"/>"
                     "<v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>";
    int n = 0;
    for (const auto &entry : sheet.comments) {
        const int row = int(entry.first >> 16) - 1, column = int(entry.first & 0xFFFF) - 1;
        ++n;
        out += "<v:shape id=\"_x0000_s" + QByteArray::number(shapeBlock * 1024 + n) +
               "\" type=\"#_x0000_t202\" style=\"position:absolute;margin-left:59.25pt;"
               "margin-top:1.5pt;width:108pt;height:59.25pt;z-index:" +
               QByteArray::number(n) +
               ";visibility:hidden\" fillcolor=\"#ffffe1\" o:insetmode=\"auto\">"
               "<v:fill color2=\"#ffffe1\"/><v:shadow on=\"t\" color=\"black\" obscured=\"t\"/>"
               "<v:path o:connecttype=\"none\"/><v:textbox style=\"mso-direction-alt:auto\">"
               "<div style=\"text-align:left\"></div></v:textbox>"
               "<x:ClientData ObjectType=\"Note\"><x:MoveWithCells/><x:SizeWithCells/>"
               "<x:Anchor>" +
               QByteArray::number(column + 1) + ", 15, " +
               QByteArray::number(row > 0 ? row - 1 : 0) + ", 10, " +
               QByteArray::number(column + 3) + ", 15, " + QByteArray::number(row + 3) +
               ", 4</x:Anchor><x:AutoFill>False</x:AutoFill><x:Row>" + QByteArray::number(row) +
               "</x:Row><x:Column>" + QByteArray::number(column) +
               "</x:Column></x:ClientData></v:shape>";
    }
    out += "</xml>";
    return out;
}

} // namespace excel
