#include "platform/excel/XlsxCommentWriter.h"

#include "platform/excel/XlsxXml.h"

#include <QHash>

#include <algorithm>
#include <cctype>

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

namespace {

const char declarations[] = "xmlns:v=\"urn:schemas-microsoft-com:vml\" "
                            "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                            "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"";

const char noteShapeType[] =
    "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
    "path=\"m,l,21600r21600,l21600,xe\"><v:stroke joinstyle=\"miter\"/>"
    "<v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>";

// One hidden note box per comment, anchored beside its cell.
QByteArray noteShapes(const SheetData &sheet, int firstId)
{
    QByteArray out;
    int n = 0;
    for (const auto &entry : sheet.comments) {
        const int row = int(entry.first >> 16) - 1, column = int(entry.first & 0xFFFF) - 1;
        out += "<v:shape id=\"_x0000_s" + QByteArray::number(firstId + n) +
               "\" type=\"#_x0000_t202\" style=\"position:absolute;margin-left:59.25pt;"
               "margin-top:1.5pt;width:108pt;height:59.25pt;z-index:" +
               QByteArray::number(n + 1) +
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
        ++n;
    }
    return out;
}

} // namespace

QByteArray XlsxCommentWriter::vmlXml(const SheetData &sheet, int shapeBlock,
                                     const QByteArray &existing)
{
    const qsizetype close = existing.lastIndexOf("</xml>");
    if (close < 0) {
        return "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
               "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
               "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
               "<o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"" +
               QByteArray::number(shapeBlock) + "\"/></o:shapelayout>" +
               noteShapes(sheet, shapeBlock * 1024 + 1) + "</xml>";
    }
    // The drawing may hold other shapes (buttons, form controls): keep them and replace only
    // the note boxes. Drawings are not always well-formed XML and use any prefix, so this
    // works on the text.
    QByteArray kept;
    qsizetype pos = 0;
    const char *d = existing.constData();
    for (qsizetype lt = existing.indexOf('<'); lt >= 0 && lt < close;
         lt = existing.indexOf('<', lt + 1)) {
        qsizetype nameEnd = lt + 1;
        while (nameEnd < close && !std::isspace(static_cast<unsigned char>(d[nameEnd])) &&
               d[nameEnd] != '>' && d[nameEnd] != '/')
            ++nameEnd;
        const QByteArray name(d + lt + 1, nameEnd - lt - 1);
        if (name != "shape" && !name.endsWith(":shape")) continue;
        const qsizetype tagEnd = existing.indexOf('>', lt);
        if (tagEnd < 0 || tagEnd >= close) break;
        qsizetype end;
        if (d[tagEnd - 1] == '/') {
            end = tagEnd + 1;
        } else {
            const QByteArray endTag = "</" + name + '>';
            end = existing.indexOf(endTag, tagEnd);
            if (end < 0 || end > close) break;
            end += endTag.size();
        }
        kept += existing.mid(pos, lt - pos);
        const QByteArray shape = existing.mid(lt, end - lt);
        if (!shape.contains("ObjectType=\"Note\"") && !shape.contains("ObjectType='Note'"))
            kept += shape;
        pos = end;
        lt = end - 1;
    }
    kept += existing.mid(pos, close - pos);

    // New shape numbers after every number in use, inside the drawing's own block.
    int block = shapeBlock;
    const qsizetype idmapAt = kept.indexOf("idmap");
    const qsizetype idmap = idmapAt < 0 ? -1 : kept.indexOf("data=\"", idmapAt);
    if (idmap >= 0) {
        bool ok = false;
        const qsizetype stop = kept.indexOf('"', idmap + 6);
        const int declared =
            kept.mid(idmap + 6, stop - idmap - 6).split(',').value(0).trimmed().toInt(&ok);
        if (ok && declared > 0) block = declared;
    }
    int next = block * 1024 + 1;
    for (qsizetype at = kept.indexOf("_x0000_s"); at >= 0; at = kept.indexOf("_x0000_s", at + 8)) {
        qsizetype digits = at + 8;
        while (digits < kept.size() && std::isdigit(static_cast<unsigned char>(kept.at(digits))))
            ++digits;
        next = std::max(next, kept.mid(at + 8, digits - at - 8).toInt() + 1);
    }
    // The added markup declares its own prefixes: the drawing's root may declare none.
    QByteArray added = noteShapes(sheet, next);
    if (!kept.contains("_x0000_t202")) added.prepend(noteShapeType);
    added.replace("<v:shapetype ", QByteArray("<v:shapetype ") + declarations + ' ');
    added.replace("<v:shape ", QByteArray("<v:shape ") + declarations + ' ');
    return kept + added + existing.mid(close);
}

} // namespace excel
