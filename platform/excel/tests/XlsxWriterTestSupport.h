#pragma once

#include "platform/excel/WorkbookData.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <memory>

// Helpers shared by the writer's tests: building a store by hand and reading a saved file back
// with openpyxl, an independent reader.
namespace xlsxtest {

inline excel::SheetData &addSheet(excel::WorkbookData &wb, const QString &name)
{
    wb.sheets.push_back(std::make_unique<excel::SheetData>());
    wb.sheets.back()->name = name;
    return *wb.sheets.back();
}

inline excel::Cell &put(excel::SheetData &s, int row, int column)
{
    if (int(s.rows.size()) < row) s.rows.resize(size_t(row));
    auto &cells = s.rows[size_t(row - 1)];
    auto it = cells.begin();
    while (it != cells.end() && it->column < column)
        ++it;
    if (it == cells.end() || it->column != column) {
        excel::Cell c;
        c.column = std::uint16_t(column);
        it = cells.insert(it, c);
    }
    return *it;
}

inline void setNumber(excel::SheetData &s, int row, int column, double v, std::uint32_t style = 0)
{
    excel::Cell &c = put(s, row, column);
    c.setNumber(v);
    c.style = style;
}

inline void setString(excel::WorkbookData &wb, excel::SheetData &s, int row, int column,
                      const QString &text, std::uint32_t style = 0)
{
    std::uint32_t index = 0;
    while (index < wb.strings.size() && wb.strings[index] != text)
        ++index;
    if (index == wb.strings.size()) wb.strings.push_back(text);
    excel::Cell &c = put(s, row, column);
    c.setString(index);
    c.style = style;
}

inline void setFormula(excel::SheetData &s, int row, int column, const QString &formula)
{
    excel::Cell &c = put(s, row, column);
    s.rows[size_t(row - 1)].setFormula(c, int(s.formulas.size()));
    s.formulas.push_back(formula);
}

// Reads a saved workbook with openpyxl and returns a JSON summary: per sheet its state, cells
// (formula text and cached value), merges, row heights, comments and the format of each cell.
const char dumpScript[] = R"(
import json, sys, openpyxl
path = sys.argv[1]
wb = openpyxl.load_workbook(path)
cached = openpyxl.load_workbook(path, data_only=True)
def color(c):
    if c is None: return None
    if c.type == 'rgb': return c.rgb
    if c.type == 'indexed': return 'indexed:%d' % c.indexed
    if c.type == 'theme': return 'theme:%d' % c.theme
    return None
out = {'sheets': [], 'names': [], 'order': wb.sheetnames}
try:
    for n in wb.defined_names.definedName:
        out['names'].append([n.name, n.attr_text, n.localSheetId])
except AttributeError:
    for name, n in wb.defined_names.items():
        out['names'].append([name, n.attr_text, n.localSheetId])
for ws in wb.worksheets:
    cs = cached[ws.title]
    s = {'name': ws.title, 'state': ws.sheet_state, 'cells': {}, 'merges': sorted(str(m) for m in ws.merged_cells.ranges),
         'heights': {}, 'comments': {}, 'styles': {}, 'validations': len(ws.data_validations.dataValidation),
         'charts': len(ws._charts), 'conditional': len(ws.conditional_formatting)}
    for key in sorted(ws._cells):
            c = ws._cells[key]
            v = c.value
            cv = cs[c.coordinate].value
            if v is not None or c.style_id:
                s['cells'][c.coordinate] = [str(v) if v is not None else None, str(cv) if cv is not None else None, c.data_type]
            if c.comment is not None:
                s['comments'][c.coordinate] = [c.comment.text, c.comment.author]
            if c.style_id:
                s['styles'][c.coordinate] = {'numFmt': c.number_format, 'font': color(c.font.color),
                    'pattern': c.fill.fill_type, 'fg': color(c.fill.fgColor), 'bg': color(c.fill.bgColor),
                    'bold': bool(c.font.b), 'named': c.style}
    for r, d in ws.row_dimensions.items():
        if d.height is not None: s['heights'][str(r)] = d.height
    out['sheets'].append(s)
print(json.dumps(out))
)";

inline QJsonObject dump(const QString &path, QString *failure = nullptr)
{
    QString output;
    int rc = TestFiles::runPython(QString::fromLatin1(dumpScript), {path}, &output);
    if (rc != 0) {
        if (failure) *failure = output;
        return {};
    }
    // The summary is the last line; openpyxl may warn before it.
    QString last = output.trimmed().section(QLatin1Char('\n'), -1);
    return QJsonDocument::fromJson(last.toUtf8()).object();
}

// One sheet of a dump, by position, and one cell of a dumped sheet, by its reference ("B3").
inline QJsonObject sheet(const QJsonObject &dumped, int i)
{
    return dumped[QStringLiteral("sheets")].toArray()[i].toObject();
}

inline QJsonArray cell(const QJsonObject &sheet, const char *ref)
{
    return sheet[QStringLiteral("cells")].toObject()[QLatin1String(ref)].toArray();
}

} // namespace xlsxtest
