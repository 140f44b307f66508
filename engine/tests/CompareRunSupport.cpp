#include "engine/tests/CompareRunSupport.h"

#include "engine/ClsComparePair.h"
#include "engine/ClsTxtCompareResult.h"
#include "engine/ModCompare.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace CompareRunSupport {

namespace {

const char *const Prelude = R"(
import sys, openpyxl
from openpyxl.comments import Comment
folder = sys.argv[1]
def book(name, sheets, extra=None):
    wb = openpyxl.Workbook()
    wb.remove(wb.active)
    for sh in sheets:
        ws = wb.create_sheet(sh[0])
        first = sh[2] if len(sh) > 2 else 1
        for r, row in enumerate(sh[1]):
            for c, v in enumerate(row):
                if v is not None:
                    ws.cell(row=first + r, column=c + 1, value=v)
    if extra:
        extra(wb)
    wb.save(folder + '/' + name)
)";

const char *const Reader = R"(
import sys, json, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = {'names': wb.sheetnames, 'sheets': {}}
for ws in wb.worksheets:
    rows, colors, comments = [], {}, {}
    for row in ws.iter_rows(min_row=1, max_row=ws.max_row):
        texts = ['' if c.value is None else str(c.value) for c in row]
        while texts and texts[-1] == '':
            texts.pop()
        rows.append('|'.join(texts))
        for c in row:
            col = c.font.color if c.font else None
            if col is not None and col.type == 'indexed':
                colors[c.coordinate] = 'indexed:%d' % col.indexed
            elif col is not None and col.type == 'rgb' and col.rgb not in (None, 'FF000000'):
                colors[c.coordinate] = 'rgb:%s' % col.rgb
            if c.comment is not None:
                comments[c.coordinate] = c.comment.text
    while rows and rows[-1] == '':
        rows.pop()
    out['sheets'][ws.title] = {'rows': rows, 'colors': colors, 'comments': comments,
                               'defaultHeight': ws.sheet_format.defaultRowHeight}
print(json.dumps(out))
)";

} // namespace

QString makeBooks(const QString &folder, const QString &body)
{
    QString output;
    const int code = TestFiles::runPython(QString::fromUtf8(Prelude) + body, {folder}, &output);
    return code == 0 ? QString() : (output.isEmpty() ? QStringLiteral("python failed") : output);
}

ReadBack readBook(const QString &path)
{
    ReadBack back;
    QString output;
    if (TestFiles::runPython(QString::fromUtf8(Reader), {path}, &output) != 0) {
        back.error = output.isEmpty() ? QStringLiteral("openpyxl could not read ") + path : output;
        return back;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(output.toUtf8());
    back.json = doc.object().value(QStringLiteral("sheets")).toObject();
    for (const QJsonValue &name : doc.object().value(QStringLiteral("names")).toArray())
        back.sheetNames.append(name.toString());
    return back;
}

QStringList ReadBack::rows(const QString &sheet) const
{
    QStringList out;
    for (const QJsonValue &row :
         json.value(sheet).toObject().value(QStringLiteral("rows")).toArray())
        out.append(row.toString());
    return out;
}

QString ReadBack::color(const QString &sheet, const QString &cell) const
{
    return json.value(sheet)
        .toObject()
        .value(QStringLiteral("colors"))
        .toObject()
        .value(cell)
        .toString();
}

QString ReadBack::comment(const QString &sheet, const QString &cell) const
{
    return json.value(sheet)
        .toObject()
        .value(QStringLiteral("comments"))
        .toObject()
        .value(cell)
        .toString();
}

double ReadBack::defaultRowHeight(const QString &sheet) const
{
    return json.value(sheet).toObject().value(QStringLiteral("defaultHeight")).toDouble();
}

QStringList reportLines(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("cannot read ") + path;
        return {};
    }
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace(QRegularExpression(QStringLiteral("用时\\d+毫秒")), QStringLiteral("用时N毫秒"));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void FakeMainWindow::setValue(int percent)
{
    values.push_back(percent);
    if (cancelAtPercent >= 0 && percent >= cancelAtPercent) ModCompare::SetCancelCompare(true);
    if (onValue) onValue(percent);
}

void FakeView::ShowPairDetail(ClsCompareCore &, std::shared_ptr<ClsComparePair> pair)
{
    pairsShown.append(pair->leftSheetName() + QStringLiteral("->") + pair->rightSheetName());
    QList<int> rows;
    pair->GetTxtRecorder()->GetLeftSingleRows().ToArray(rows);
    leftSingles.append(rows);
}

} // namespace CompareRunSupport
