#include "engine/tests/SessionWorkbooks.h"

#include "tests/support/TestFiles.h"

namespace {

const char *const kScript = R"PY(
import sys, openpyxl
out = sys.argv[1]

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Blank"
ws["A1"] = "Key"; ws["B1"] = "Val"
row = 2
for i in range(1, 13):
    ws.cell(row, 1, "k%d" % i); ws.cell(row, 2, "v"); row += 1
    ws.cell(row, 2, "gap"); row += 1            # scattered blank key rows
for i in range(11):
    ws.cell(row, 2, "run"); row += 1            # a run of eleven blank key rows
ws.cell(row, 1, "late"); row += 1
ws.cell(row, 1, 42); row += 1
for i in range(7):
    ws.cell(row, 2, "tail"); row += 1           # blank key rows to the end

ws = wb.create_sheet("Merged")
ws["A1"] = "Key"
ws["A2"] = "M1"; ws.merge_cells("A2:A4")
ws["A5"] = " M2"
ws["A6"] = "M3"
ws["A7"] = "M4"; ws.merge_cells("A7:A8")
for r in range(2, 9):
    ws.cell(r, 2, r)

ws = wb.create_sheet("Lower")
for r in range(10, 31):
    ws.cell(r, 1, "L%d" % r); ws.cell(r, 2, r)
ws.merge_cells("A10:A11")

ws = wb.create_sheet("Dup")
for r, k in enumerate(["x", "y", "x", "X", "Y"], start=1):
    ws.cell(r, 1, k); ws.cell(r, 2, r)

ws = wb.create_sheet("Multi")
for r, (a, c) in enumerate([("a", 1), ("a", 2), ("b", 1), ("a", 1), ("A", 2)], start=1):
    ws.cell(r, 1, a); ws.cell(r, 2, "data"); ws.cell(r, 3, c)
wb.save(out + "/keys.xlsx")

wb = openpyxl.Workbook()
wb.active.title = "One"
wb["One"]["A1"] = 1
for name, state in [("Two", "hidden"), ("Three", "veryHidden"), ("Four", "visible")]:
    s = wb.create_sheet(name); s["A1"] = name; s.sheet_state = state
wb.save(out + "/vis.xlsx")

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Tall"
ws["A1"] = "top"; ws["A65536"] = "bottom"
ws = wb.create_sheet("Short")
for r in range(1, 101):
    ws.cell(r, 1, r)
wb.save(out + "/tall.xlsx")
)PY";

} // namespace

bool SessionWorkbooks::make(const QString &folder, QString *error)
{
    QString output;
    const int rc = TestFiles::runPython(QString::fromUtf8(kScript), {folder}, &output);
    if (rc != 0 && error) *error = output;
    return rc == 0;
}
