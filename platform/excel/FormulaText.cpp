#include "platform/excel/FormulaText.h"

#include "platform/excel/CellAddress.h"

namespace excel {

namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'$' || c == u'\\' || c == u'?';
}

// Reads "$AB$12", "AB12", "$AB" or "12" style pieces: which parts are there.
bool parsePiece(QStringView t, FormulaText::Ref *ref, bool *hasColumn, bool *hasRow)
{
    qsizetype i = 0;
    ref->columnAbsolute = false;
    ref->rowAbsolute = false;
    *hasColumn = *hasRow = false;
    bool dollar = i < t.size() && t[i] == u'$';
    if (dollar) ++i;
    qsizetype ls = i;
    while (i < t.size() && ((t[i] >= u'A' && t[i] <= u'Z') || (t[i] >= u'a' && t[i] <= u'z')))
        ++i;
    if (i > ls) {
        int c = CellAddress::columnNumber(t.mid(ls, i - ls));
        if (!c) return false;
        ref->column = c;
        ref->columnAbsolute = dollar;
        *hasColumn = true;
        dollar = i < t.size() && t[i] == u'$';
        if (dollar) ++i;
    }
    qsizetype ds = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9')
        ++i;
    if (i != t.size()) return false;
    if (i > ds) {
        if (i - ds > 7) return false;
        int r = t.mid(ds, i - ds).toInt();
        if (r < 1 || r > CellAddress::MaxRows) return false;
        ref->row = r;
        ref->rowAbsolute = dollar;
        *hasRow = true;
    } else if (dollar) {
        return false; // "$A$" is nothing
    }
    return *hasColumn || *hasRow;
}

QString formatPiece(const FormulaText::Ref &r, bool hasColumn, bool hasRow)
{
    QString s;
    if (hasColumn) {
        if (r.columnAbsolute) s += u'$';
        s += CellAddress::columnLetters(r.column);
    }
    if (hasRow) {
        if (r.rowAbsolute) s += u'$';
        s += QString::number(r.row);
    }
    return s;
}

} // namespace

qsizetype FormulaText::closingQuote(QStringView formula, qsizetype open)
{
    const QChar quote = formula[open];
    const qsizetype n = formula.size();
    qsizetype j = open + 1;
    while (j < n) {
        if (formula[j] == quote) {
            if (j + 1 < n && formula[j + 1] == quote) {
                j += 2;
                continue;
            }
            break;
        }
        ++j;
    }
    return j;
}

QString FormulaText::moveReferences(const QString &f, const Mover &mover, Scope scope,
                                    const QString &sheetName)
{
    QString out;
    out.reserve(f.size() + 8);
    qsizetype i = 0;
    const qsizetype n = f.size();
    QString pendingSheet; // the sheet prefix just read ("" when none)
    bool havePrefix = false;
    while (i < n) {
        QChar c = f[i];
        if (c == u'"') { // string literal, "" escapes a quote
            const qsizetype j = closingQuote(f, i);
            out += f.mid(i, j + 1 - i);
            i = j + 1;
            havePrefix = false;
            continue;
        }
        if (c == u'\'') { // quoted sheet name, '' escapes a quote
            const qsizetype j = closingQuote(f, i);
            QString name =
                f.mid(i + 1, j - i - 1).replace(QStringLiteral("''"), QStringLiteral("'"));
            out += f.mid(i, j + 1 - i);
            i = j + 1;
            if (i < n && f[i] == u'!') {
                out += u'!';
                ++i;
                pendingSheet = name;
                havePrefix = true;
            }
            continue;
        }
        if (c == u'[') { // structured reference or external book index: copied as is
            int depth = 0;
            qsizetype j = i;
            while (j < n) {
                if (f[j] == u'[')
                    ++depth;
                else if (f[j] == u']' && --depth == 0)
                    break;
                ++j;
            }
            out += f.mid(i, j + 1 - i);
            i = j + 1;
            continue;
        }
        if (!isNameChar(c)) {
            out += c;
            ++i;
            havePrefix = false;
            continue;
        }
        qsizetype j = i;
        while (j < n && isNameChar(f[j]))
            ++j;
        QStringView token = QStringView(f).mid(i, j - i);
        // A function name or a sheet prefix is not a reference.
        if (j < n && (f[j] == u'(' || f[j] == u'!')) {
            out += token;
            if (f[j] == u'!') {
                out += u'!';
                pendingSheet = token.toString();
                havePrefix = true;
                ++j;
            } else {
                havePrefix = false;
            }
            i = j;
            continue;
        }
        bool touch = scope == Scope::All ||
                     (havePrefix ? pendingSheet.compare(sheetName, Qt::CaseInsensitive) == 0
                                 : scope == Scope::OwnSheet);
        havePrefix = false;
        Ref a;
        bool ac, ar;
        if (!touch || !parsePiece(token, &a, &ac, &ar)) {
            out += token;
            i = j;
            continue;
        }
        // A second end after ":" makes a range (also A:C and 1:3).
        Ref b;
        bool bc = false, br = false;
        qsizetype k = j;
        bool range = false;
        if (k < n && f[k] == u':') {
            qsizetype m = k + 1;
            while (m < n && isNameChar(f[m]))
                ++m;
            if (m > k + 1 && parsePiece(QStringView(f).mid(k + 1, m - k - 1), &b, &bc, &br) &&
                bc == ac && br == ar) {
                range = true;
                k = m;
            }
        }
        if (!range && !(ac && ar)) { // a lone "A" or "12" is a name or a number
            out += token;
            i = j;
            continue;
        }
        if (!ac) a.column = b.column = 0;
        if (!ar) a.row = b.row = 0;
        bool okA = true, okB = true;
        Ref na = mover(a, &okA);
        Ref nb = range ? mover(b, &okB) : Ref();
        if (!okA || !okB) {
            out += QStringLiteral("#REF!");
        } else {
            out += formatPiece(na, ac, ar);
            if (range) {
                out += u':';
                out += formatPiece(nb, bc, br);
            }
        }
        i = k;
    }
    return out;
}

QString FormulaText::shift(const QString &formula, int dRows, int dColumns)
{
    if (dRows == 0 && dColumns == 0) return formula;
    return moveReferences(formula, [&](const Ref &r, bool *ok) {
        Ref m = r;
        if (r.row && !r.rowAbsolute) m.row += dRows;
        if (r.column && !r.columnAbsolute) m.column += dColumns;
        if ((r.row && (m.row < 1 || m.row > CellAddress::MaxRows)) ||
            (r.column && (m.column < 1 || m.column > CellAddress::MaxColumns)))
            *ok = false;
        return m;
    });
}

QString FormulaText::insertRows(const QString &formula, int row, int count, Scope scope,
                                const QString &sheetName)
{
    return moveReferences(
        formula,
        [&](const Ref &r, bool *ok) {
            Ref m = r;
            if (!r.row || r.row < row) return m;
            if (count > 0) {
                m.row += count;
                if (m.row > CellAddress::MaxRows) *ok = false;
            } else if (r.row < row - count) {
                *ok = false; // the row itself was deleted
            } else {
                m.row += count;
            }
            return m;
        },
        scope, sheetName);
}

} // namespace excel
