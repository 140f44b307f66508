#include "platform/excel/XlsReader.h"

#include "platform/excel/BiffRecord.h"
#include "platform/excel/BiffStream.h"
#include "platform/excel/CompoundFile.h"
#include "platform/excel/StyleCodes.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace excel {

namespace {

enum RecordType : std::uint16_t {
    kFormula = 0x0006,
    kEof = 0x000A,
    kNote = 0x001C,
    kExternSheet = 0x0017,
    kDateMode = 0x0022,
    kName = 0x0018,
    kExternName = 0x0023,
    kFilePass = 0x002F,
    kFont = 0x0031,
    kObj = 0x005D,
    kWindow1 = 0x003D,
    kBoundSheet = 0x0085,
    kPalette = 0x0092,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kMergedCells = 0x00E5,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kSupBook = 0x01AE,
    kTxo = 0x01B6,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRow = 0x0208,
    kArray = 0x0221,
    kDefaultRowHeight = 0x0225,
    kRk = 0x027E,
    kFormat = 0x041E,
    kShrFmla = 0x04BC,
    kBof = 0x0809,
};

// Fill pattern numbers of the file (0-18) as the automation's XlPattern values.
const int kPatterns[19] = {-4142, 1,  -4125, -4126, -4124, -4128, -4166, -4121, -4162, 9,
                           10,    11, 12,    13,    14,    15,    16,    17,    18};

const char *const kBuiltInNames[] = {
    "Consolidate_Area", "Auto_Open",       "Auto_Close",   "Extract",         "Database",
    "Criteria",         "Print_Area",      "Print_Titles", "Recorder",        "Data_Form",
    "Auto_Activate",    "Auto_Deactivate", "Sheet_Title",  "_FilterDatabase",
};

inline std::uint16_t rd16(const char *p)
{
    return qFromLittleEndian<std::uint16_t>(p);
}

inline std::uint32_t rd32(const char *p)
{
    return qFromLittleEndian<std::uint32_t>(p);
}

inline double rdF64(const char *p)
{
    const std::uint64_t bits = qFromLittleEndian<std::uint64_t>(p);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

double rkValue(std::uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        value = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, 8);
    }
    return (rk & 0x01) ? value / 100.0 : value;
}

QString bytesFrom(const BiffRecord &record, int from, int count, QByteArray *out)
{
    if (from < 0 || count < 0 || from + count > record.size()) return QStringLiteral("cut short");
    *out = QByteArray(record.body() + from, count);
    return QString();
}

} // namespace

bool XlsReader::read(const QString &path, WorkbookData *out, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("Cannot read \"%1\": %2").arg(shown, file.errorString());
        return false;
    }
    if (file.size() > CompoundFile::kMaxSize) {
        if (error)
            *error = QStringLiteral("Cannot read \"%1\": the file is too large (%2 bytes)")
                         .arg(shown)
                         .arg(file.size());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        if (error) *error = QStringLiteral("Cannot read \"%1\": %2").arg(shown, file.errorString());
        return false;
    }
    return readBytes(bytes, out, error, shown);
}

bool XlsReader::readBytes(const QByteArray &bytes, WorkbookData *out, QString *error,
                          const QString &fileName)
{
    XlsReader reader(out, fileName.isEmpty() ? QStringLiteral("(workbook in memory)") : fileName);
    *out = WorkbookData();
    if (reader.run(bytes)) {
        out->format = WorkbookData::Format::Xls;
        out->path = fileName;
        return true;
    }
    if (error) *error = reader.m_error;
    *out = WorkbookData();
    return false;
}

bool XlsReader::fail(const QString &message)
{
    m_error = QStringLiteral("Cannot read \"%1\": %2").arg(m_fileName, message);
    return false;
}

bool XlsReader::failRecord(const BiffRecord &record, const QString &what)
{
    return fail(QStringLiteral("record 0x%1 at offset %2 of the Workbook stream: %3")
                    .arg(record.type, 4, 16, QLatin1Char('0'))
                    .arg(record.offset)
                    .arg(what));
}

bool XlsReader::run(const QByteArray &bytes)
{
    if (bytes.startsWith("PK\x03\x04"))
        return fail(QStringLiteral("the file is an Office Open XML workbook (.xlsx), not a "
                                   "legacy .xls workbook"));
    if (!CompoundFile::hasSignature(bytes)) {
        // Workbooks from before Excel 5 are bare BIFF streams starting with their BOF record.
        if (bytes.size() >= 4 && bytes[0] == 0x09 &&
            (bytes[1] == 0x00 || bytes[1] == 0x02 || bytes[1] == 0x04 || bytes[1] == 0x08))
            return fail(QStringLiteral("the workbook is in a format older than Excel 97 "
                                       "(BIFF2 to BIFF4); save it as .xlsx in a spreadsheet "
                                       "program first"));
        return fail(QStringLiteral("the file is not a legacy Excel workbook (no compound file "
                                   "signature)"));
    }
    CompoundFile container;
    QString why;
    if (!container.open(bytes, &why)) return fail(why);
    if (!container.hasStream(QStringLiteral("Workbook"))) {
        if (container.hasStream(QStringLiteral("Book")))
            return fail(QStringLiteral("the workbook is in a format older than Excel 97 (Excel "
                                       "5.0/95, BIFF5); save it as .xlsx in a spreadsheet "
                                       "program first"));
        return fail(QStringLiteral("the compound file holds no \"Workbook\" stream (streams: %1)")
                        .arg(container.streamNames().join(QStringLiteral(", "))));
    }
    QByteArray data;
    if (!container.readStream(QStringLiteral("Workbook"), &data, &why)) return fail(why);

    // The default colours of entries 0-63 until a PALETTE record replaces 8-63.
    m_palette.resize(64);
    for (int i = 0; i < 64; ++i)
        m_palette[std::size_t(i)] = StyleCodes::indexedColor(i);
    BiffStream stream(data);
    if (!readGlobals(stream)) return false;
    buildStyles();
    QStringList names;
    for (const BoundSheet &bound : m_boundSheets)
        names << bound.name;
    const QString shared = WorkbookData::sharedName(names);
    if (!shared.isEmpty())
        return fail(QStringLiteral("two sheets are named \"%1\" (names of sheets must differ, "
                                   "also in more than case)")
                        .arg(shared));
    for (const BoundSheet &bound : m_boundSheets) {
        if (&bound - m_boundSheets.data() == m_activeTab && bound.type == 0)
            m_out->activeSheet = int(m_out->sheets.size());
        if (bound.type != 0) {
            const QString kind = bound.type == 2   ? QStringLiteral("chart sheet")
                                 : bound.type == 1 ? QStringLiteral("macro sheet")
                                                   : QStringLiteral("module");
            m_out->warnings.push_back(
                QStringLiteral("Sheet \"%1\" is a %2, not a worksheet; it is not shown.")
                    .arg(bound.name, kind));
            continue;
        }
        if (!readSheet(stream, bound)) return false;
        // Sheets never share records; overlapping ones would also be read over and over.
        const qsizetype start = qsizetype(bound.position), end = stream.position();
        const auto next = m_sheetRanges.lower_bound(start);
        if ((next != m_sheetRanges.end() && next->first < end) ||
            (next != m_sheetRanges.begin() && std::prev(next)->second > start))
            return fail(QStringLiteral("sheets overlap in the Workbook stream (at sheet \"%1\")")
                            .arg(bound.name));
        m_sheetRanges[start] = end;
    }
    return true;
}

bool XlsReader::checkBof(const BiffRecord &record, bool globals)
{
    if (record.type != kBof || record.size() < 4)
        return failRecord(record, globals ? QStringLiteral("the stream does not start with a BOF "
                                                           "record")
                                          : QStringLiteral("a sheet does not start with a BOF "
                                                           "record"));
    // The globals say which version the file is; sheets' BOF records are not held to it, as
    // some writers leave their version field empty.
    const int version = rd16(record.body());
    if (globals && version < 0x0600)
        return fail(QStringLiteral("the workbook is in a format older than Excel 97 (BIFF "
                                   "version 0x%1); save it as .xlsx in a spreadsheet program "
                                   "first")
                        .arg(version, 4, 16, QLatin1Char('0')));
    if (globals && version != 0x0600)
        return failRecord(
            record,
            QStringLiteral("unknown BIFF version 0x%1").arg(version, 4, 16, QLatin1Char('0')));
    return true;
}

bool XlsReader::readGlobals(BiffStream &stream)
{
    BiffRecord r;
    bool cutShort = false;
    if (!stream.next(&r, &cutShort))
        return fail(QStringLiteral("the Workbook stream is empty or cut short"));
    if (!checkBof(r, true)) return false;
    while (stream.next(&r, &cutShort)) {
        switch (r.type) {
        case kEof:
            return true;
        case kFilePass:
            return fail(QStringLiteral("the workbook is encrypted (password protected) and "
                                       "cannot be read; save it without a password first"));
        case kBoundSheet: {
            BoundSheet b;
            b.position = r.u32();
            const int state = r.u8();
            b.type = r.u8();
            b.name = r.readShortUnicodeString();
            if (!r.ok()) return failRecord(r, QStringLiteral("sheet entry cut short"));
            b.visible = (state & 3) == 0 ? -1 : ((state & 3) == 1 ? 0 : 2);
            m_boundSheets.push_back(b);
            m_context.sheetNames << b.name;
            break;
        }
        case kSst: {
            r.u32();
            const std::uint32_t unique = r.u32();
            const std::uint32_t base = std::uint32_t(m_out->strings.size());
            // The count is not trusted for reserving: each string takes at least 3 bytes.
            m_sst.reserve(std::min<std::uint32_t>(unique, std::uint32_t(r.totalSize() / 3 + 1)));
            for (std::uint32_t i = 0; i < unique && r.ok(); ++i) {
                m_out->strings.push_back(r.readRichExtendedString());
                m_sst.push_back(base + i);
            }
            if (!r.ok())
                return failRecord(r, QStringLiteral("shared strings cut short (%1 of %2 read)")
                                         .arg(m_sst.size())
                                         .arg(unique));
            break;
        }
        case kDateMode:
            m_out->date1904 = r.u16() != 0;
            break;
        case kWindow1:
            if (r.size() >= 12) m_activeTab = rd16(r.body() + 10);
            break;
        case kFormat: {
            const int id = r.u16();
            const QString code = r.readUnicodeString();
            if (!r.ok()) return failRecord(r, QStringLiteral("number format cut short"));
            m_formats[id] = code;
            break;
        }
        case kFont: {
            if (r.size() < 6) return failRecord(r, QStringLiteral("font cut short"));
            m_fonts.push_back({rd16(r.body() + 4)});
            break;
        }
        case kXf: {
            if (r.size() < 20) return failRecord(r, QStringLiteral("cell format cut short"));
            const char *p = r.body();
            Xf xf;
            xf.font = rd16(p);
            xf.format = rd16(p + 2);
            xf.isStyle = rd16(p + 4) & 0x0004;
            xf.pattern = int(rd32(p + 14) >> 26) & 0x3F;
            xf.foreColor = rd16(p + 18) & 0x7F;
            if (m_xfs.size() >= Cell::MaxStyles - 1)
                return failRecord(
                    r, QStringLiteral("more than %1 cell formats").arg(Cell::MaxStyles - 1));
            m_xfs.push_back(xf);
            break;
        }
        case kPalette: {
            const int count = r.u16();
            for (int i = 0; i < count && 8 + i < 64; ++i) {
                const int red = r.u8(), green = r.u8(), blue = r.u8();
                r.u8();
                m_palette[std::size_t(8 + i)] = (red << 16) | (green << 8) | blue;
            }
            if (!r.ok()) return failRecord(r, QStringLiteral("palette cut short"));
            break;
        }
        case kExternSheet: {
            const int count = r.u16();
            for (int i = 0; i < count && r.ok(); ++i) {
                XlsFormula::Context::Xti x;
                x.supBook = r.u16();
                x.firstSheet = std::int16_t(r.u16());
                x.lastSheet = std::int16_t(r.u16());
                m_context.xti.push_back(x);
            }
            if (!r.ok()) return failRecord(r, QStringLiteral("sheet references cut short"));
            break;
        }
        case kSupBook: {
            r.u16();
            const int marker = r.u16();
            using Kind = XlsFormula::Context::SupBookKind;
            m_context.supBooks.push_back(marker == 0x0401   ? Kind::Internal
                                         : marker == 0x3A01 ? Kind::AddIn
                                                            : Kind::External);
            m_context.externNames.emplace_back();
            break;
        }
        case kExternName: {
            r.u16();
            r.skip(4);
            const QString name = r.readShortUnicodeString();
            if (!m_context.externNames.empty())
                m_context.externNames.back() << (r.ok() ? name : QString());
            break;
        }
        case kName: {
            const int flags = r.u16();
            r.u8();
            const int length = r.u8();
            r.skip(2 + 2 + 2 + 4);
            const bool high = r.u8() & 0x01;
            QString name = r.readChars(length, high);
            if (!r.ok()) return failRecord(r, QStringLiteral("defined name cut short"));
            if ((flags & 0x20) && name.size() == 1 && name[0].unicode() < std::size(kBuiltInNames))
                name = QString::fromLatin1(kBuiltInNames[name[0].unicode()]);
            m_context.names << name;
            break;
        }
        default:
            break;
        }
    }
    return fail(cutShort ? QStringLiteral("the Workbook stream is cut short in its globals")
                         : QStringLiteral("the workbook globals end without an EOF record"));
}

int XlsReader::colorOf(int index) const
{
    return index >= 0 && index < 64 ? m_palette[std::size_t(index)] : -1;
}

void XlsReader::buildStyles()
{
    m_xfStyle.assign(m_xfs.size(), 0);
    for (std::size_t i = 0; i < m_xfs.size(); ++i) {
        const Xf &xf = m_xfs[i];
        CellStyle s;
        s.sourceIndex = int(i);
        s.numberFormatId = xf.format;
        const auto format = m_formats.find(xf.format);
        s.numberFormat =
            format != m_formats.end() ? format->second : StyleCodes::builtinFormat(xf.format);
        s.isDate = format != m_formats.end() ? StyleCodes::isDateCode(s.numberFormat)
                                             : StyleCodes::isDateFormat(xf.format, s.numberFormat);
        // Font index 4 does not exist in the file: fonts after it are numbered one higher.
        const int font = xf.font > 4 ? xf.font - 1 : (xf.font == 4 ? -1 : xf.font);
        const int icv = font >= 0 && std::size_t(font) < m_fonts.size()
                            ? m_fonts[std::size_t(font)].color
                            : 0x7FFF;
        if (icv < 64) {
            s.fontColor = colorOf(icv);
            s.fontColorIndex = icv < 8 ? icv + 1 : icv - 7;
        }
        if (xf.pattern > 0) {
            s.fillPattern = xf.pattern < 19 ? kPatterns[xf.pattern] : 1;
            if (xf.foreColor < 64) {
                s.fillColor = colorOf(xf.foreColor);
                s.fillColorIndex = xf.foreColor < 8 ? xf.foreColor + 1 : xf.foreColor - 7;
            } else {
                s.fillColorIndex = -4105;
            }
        }
        // The default cell format (XF 15) is style 0.
        if (i == 15) {
            m_out->styles[0] = s;
            m_xfStyle[i] = 0;
        } else {
            m_xfStyle[i] = std::uint32_t(m_out->styles.size());
            m_out->styles.push_back(s);
        }
    }
}

bool XlsReader::addCell(SheetData &sheet, const BiffRecord &record, int row, int column, int xf,
                        Cell cell)
{
    if (column >= kMaxColumns)
        return failRecord(record,
                          QStringLiteral("cell in column %1, outside the sheet").arg(column + 1));
    if (++m_cellCount > kMaxCells)
        return fail(QStringLiteral("the workbook holds more than %1 cells").arg(kMaxCells));
    cell.column = std::uint16_t(column + 1);
    cell.style = std::size_t(xf) < m_xfStyle.size() ? m_xfStyle[std::size_t(xf)] : 0;
    if (sheet.rows.size() <= std::size_t(row)) sheet.rows.resize(std::size_t(row) + 1);
    sheet.rows[std::size_t(row)].push_back(cell);
    m_stringRow = -1;
    return true;
}

int XlsReader::formulaSlot(SheetData &sheet, const QString &text)
{
    const auto it = m_formulaSlots.constFind(text);
    if (it != m_formulaSlots.constEnd()) return it.value();
    const int slot = int(sheet.formulas.size());
    if (slot >= Cell::MaxFormulas) return -1;
    sheet.formulas.push_back(text);
    m_formulaSlots.insert(text, slot);
    return slot;
}

bool XlsReader::readFormula(SheetData &sheet, BiffRecord &r)
{
    const auto tooManyFormulas = [] {
        return QStringLiteral("the sheet holds more than %1 formulas").arg(Cell::MaxFormulas);
    };
    if (r.size() < 22) return failRecord(r, QStringLiteral("formula cut short"));
    const char *p = r.body();
    const int row = rd16(p), column = rd16(p + 2), xf = rd16(p + 4);
    Cell cell;
    bool waitsForString = false;
    if (rd16(p + 12) == 0xFFFF) {
        switch (std::uint8_t(p[6])) {
        case 0:
            cell.setString(std::uint32_t(m_out->strings.size()));
            m_out->strings.push_back(QString());
            waitsForString = true;
            break;
        case 1:
            cell.setBoolean(p[8] != 0);
            break;
        case 2:
            cell.setError(2000 + std::uint8_t(p[8]));
            break;
        case 3:
            cell.setString(std::uint32_t(m_out->strings.size()));
            m_out->strings.push_back(QString());
            break;
        default:
            return failRecord(
                r, QStringLiteral("unknown formula result type %1").arg(std::uint8_t(p[6])));
        }
    } else {
        cell.setNumber(rdF64(p + 6));
    }
    const int cce = rd16(p + 20);
    int slot = -1;
    if (22 + cce > r.size()) return failRecord(r, QStringLiteral("formula tokens cut short"));
    const int slotIndex =
        int(sheet.rows.size() > std::size_t(row) ? sheet.rows[std::size_t(row)].size() : 0);
    if (cce == 5 && std::uint8_t(p[22]) == 0x01) {
        // Part of a shared or array formula, whose record may come after this one.
        PendingFormula pending;
        pending.row = row;
        pending.column = column;
        pending.masterRow = rd16(p + 23);
        pending.masterColumn = rd16(p + 25);
        pending.slot = int(sheet.formulas.size());
        if (pending.slot >= Cell::MaxFormulas) return failRecord(r, tooManyFormulas());
        pending.cellIndex = slotIndex;
        sheet.formulas.push_back(QString());
        slot = pending.slot;
        m_pending.push_back(pending);
    } else {
        const QByteArray tokens(p + 22, cce);
        const QByteArray extra(p + 22 + cce, r.size() - 22 - cce);
        slot = formulaSlot(sheet, XlsFormula::decompile(tokens, extra, m_context, row, column));
        if (slot < 0) return failRecord(r, tooManyFormulas());
    }
    cell.hasFormula = 1;
    if (!addCell(sheet, r, row, column, xf, cell)) return false;
    m_cellFormulas.push_back(CellFormula{row, column, slot});
    if (waitsForString) {
        m_stringRow = row;
        m_stringCell = sheet.rows[std::size_t(row)].size() - 1;
    }
    return true;
}

void XlsReader::resolvePending(SheetData &sheet)
{
    for (const PendingFormula &pending : m_pending) {
        const auto it = m_shared.find((std::uint32_t(pending.masterRow) << 16) |
                                      std::uint32_t(pending.masterColumn));
        QString text;
        if (it == m_shared.end()) {
            text =
                XlsFormula::kNotDecompiled + QStringLiteral("shared formula of %1%2 missing]")
                                                 .arg(XlsFormula::columnName(pending.masterColumn))
                                                 .arg(pending.masterRow + 1);
        } else if (it->second.isArray) {
            // An array formula belongs to the first cell of its range, as in .xlsx; the other
            // cells keep their results as constants.
            if (pending.row != pending.masterRow || pending.column != pending.masterColumn) {
                Cell &cell = sheet.rows[std::size_t(pending.row)][std::size_t(pending.cellIndex)];
                cell.hasFormula = 0;
                continue;
            }
            text = XlsFormula::decompile(it->second.tokens, it->second.extra, m_context,
                                         pending.row, pending.column);
        } else {
            text = XlsFormula::decompile(it->second.tokens, it->second.extra, m_context,
                                         pending.row, pending.column);
        }
        sheet.formulas[std::size_t(pending.slot)] = text;
    }
    m_pending.clear();
}

void XlsReader::finishSheet(SheetData &sheet)
{
    resolvePending(sheet);
    for (std::vector<Cell> &row : sheet.rows) {
        const auto byColumn = [](const Cell &a, const Cell &b) { return a.column < b.column; };
        if (std::is_sorted(row.begin(), row.end(), byColumn) &&
            std::adjacent_find(row.begin(), row.end(), [](const Cell &a, const Cell &b) {
                return a.column == b.column;
            }) == row.end())
            continue;
        // Out of order or repeated: keep the last record written for each column.
        std::stable_sort(row.begin(), row.end(), byColumn);
        std::vector<Cell> unique;
        unique.reserve(row.size());
        for (const Cell &c : row) {
            if (!unique.empty() && unique.back().column == c.column)
                unique.back() = c;
            else
                unique.push_back(c);
        }
        static_cast<std::vector<Cell> &>(row).swap(unique);
    }
    // In reading order, so that a cell written twice keeps its last formula; a cell whose last
    // record is a constant has lost its flag above.
    for (const CellFormula &f : m_cellFormulas) {
        CellRow &row = sheet.rows[std::size_t(f.row)];
        Cell *cell = row.find(std::uint32_t(f.column + 1));
        if (cell && cell->hasFormula) row.setFormula(*cell, f.slot);
    }
    m_cellFormulas.clear();
}

bool XlsReader::readSheet(BiffStream &stream, const BoundSheet &bound)
{
    if (bound.position >= std::uint32_t(stream.size()))
        return fail(QStringLiteral("sheet \"%1\" starts at offset %2, beyond the Workbook stream "
                                   "(%3 bytes)")
                        .arg(bound.name)
                        .arg(bound.position)
                        .arg(stream.size()));
    stream.seek(bound.position);
    BiffRecord r;
    bool cutShort = false;
    if (!stream.next(&r, &cutShort))
        return fail(QStringLiteral("sheet \"%1\" is cut short").arg(bound.name));
    if (!checkBof(r, false)) return false;

    auto sheet = std::make_unique<SheetData>();
    sheet->name = bound.name;
    sheet->visible = bound.visible;
    m_shared.clear();
    m_pending.clear();
    m_cellFormulas.clear();
    m_formulaSlots.clear();
    m_objectTexts.clear();
    m_lastObjectId = -1;
    m_stringRow = -1;
    int depth = 1;
    while (stream.next(&r, &cutShort)) {
        if (r.type == kBof) {
            ++depth; // an embedded chart's records, skipped
            continue;
        }
        if (r.type == kEof) {
            if (--depth == 0) {
                finishSheet(*sheet);
                m_out->sheets.push_back(std::move(sheet));
                return true;
            }
            continue;
        }
        if (depth > 1) continue;
        const char *p = r.body();
        const int size = r.size();
        switch (r.type) {
        case kNumber: {
            if (size < 14) return failRecord(r, QStringLiteral("number cut short"));
            Cell cell;
            cell.setNumber(rdF64(p + 6));
            if (!addCell(*sheet, r, rd16(p), rd16(p + 2), rd16(p + 4), cell)) return false;
            break;
        }
        case kRk: {
            if (size < 10) return failRecord(r, QStringLiteral("number cut short"));
            Cell cell;
            cell.setNumber(rkValue(rd32(p + 6)));
            if (!addCell(*sheet, r, rd16(p), rd16(p + 2), rd16(p + 4), cell)) return false;
            break;
        }
        case kMulRk: {
            if (size < 6) return failRecord(r, QStringLiteral("numbers cut short"));
            const int row = rd16(p), first = rd16(p + 2);
            const int count = (size - 6) / 6;
            for (int i = 0; i < count; ++i) {
                Cell cell;
                cell.setNumber(rkValue(rd32(p + 4 + 6 * i + 2)));
                if (!addCell(*sheet, r, row, first + i, rd16(p + 4 + 6 * i), cell)) return false;
            }
            break;
        }
        case kBlank: {
            if (size < 6) return failRecord(r, QStringLiteral("blank cell cut short"));
            if (!addCell(*sheet, r, rd16(p), rd16(p + 2), rd16(p + 4), Cell{})) return false;
            break;
        }
        case kMulBlank: {
            if (size < 6) return failRecord(r, QStringLiteral("blank cells cut short"));
            const int row = rd16(p), first = rd16(p + 2);
            const int count = (size - 6) / 2;
            for (int i = 0; i < count; ++i) {
                if (!addCell(*sheet, r, row, first + i, rd16(p + 4 + 2 * i), Cell{})) return false;
            }
            break;
        }
        case kBoolErr: {
            if (size < 8) return failRecord(r, QStringLiteral("boolean or error cut short"));
            Cell cell;
            if (p[7]) {
                cell.setError(2000 + std::uint8_t(p[6]));
            } else {
                cell.setBoolean(p[6] != 0);
            }
            if (!addCell(*sheet, r, rd16(p), rd16(p + 2), rd16(p + 4), cell)) return false;
            break;
        }
        case kLabelSst: {
            if (size < 10) return failRecord(r, QStringLiteral("text cell cut short"));
            const std::uint32_t index = rd32(p + 6);
            if (index >= m_sst.size())
                return failRecord(r, QStringLiteral("text cell refers to shared string %1 of %2")
                                         .arg(index)
                                         .arg(m_sst.size()));
            Cell cell;
            cell.setString(m_sst[index]);
            if (!addCell(*sheet, r, rd16(p), rd16(p + 2), rd16(p + 4), cell)) return false;
            break;
        }
        case kLabel:
        case kRString: {
            if (size < 8) return failRecord(r, QStringLiteral("text cell cut short"));
            r.rewind(0, 6);
            const QString text = r.readUnicodeString();
            if (!r.ok()) return failRecord(r, QStringLiteral("text cell cut short"));
            Cell cell;
            cell.setString(std::uint32_t(m_out->strings.size()));
            m_out->strings.push_back(text);
            if (!addCell(*sheet, r, rd16(p), rd16(p + 2), rd16(p + 4), cell)) return false;
            break;
        }
        case kFormula:
            if (!readFormula(*sheet, r)) return false;
            break;
        case kString: {
            const QString text = r.readUnicodeString();
            if (!r.ok()) return failRecord(r, QStringLiteral("formula text result cut short"));
            if (m_stringRow >= 0) {
                const Cell &cell = sheet->rows[std::size_t(m_stringRow)][m_stringCell];
                m_out->strings.replace(cell.string(), text);
                m_stringRow = -1;
            }
            break;
        }
        case kShrFmla:
        case kArray: {
            const bool isArray = r.type == kArray;
            const int header = isArray ? 14 : 10;
            if (size < header) return failRecord(r, QStringLiteral("shared formula cut short"));
            SharedFormula shared;
            shared.isArray = isArray;
            shared.firstRow = rd16(p);
            shared.lastRow = rd16(p + 2);
            shared.firstColumn = std::uint8_t(p[4]);
            shared.lastColumn = std::uint8_t(p[5]);
            const int cce = rd16(p + header - 2);
            const QString why = bytesFrom(r, header, cce, &shared.tokens);
            if (!why.isEmpty())
                return failRecord(r, QStringLiteral("shared formula tokens ") + why);
            bytesFrom(r, header + cce, size - header - cce, &shared.extra);
            m_shared[(std::uint32_t(shared.firstRow) << 16) | std::uint32_t(shared.firstColumn)] =
                std::move(shared);
            break;
        }
        case kMergedCells: {
            const int count = r.u16();
            for (int i = 0; i < count && r.ok(); ++i) {
                CellRect rect;
                rect.firstRow = r.u16() + 1;
                rect.lastRow = r.u16() + 1;
                rect.firstColumn = r.u16() + 1;
                rect.lastColumn = r.u16() + 1;
                if (r.ok()) sheet->merges.push_back(rect);
            }
            if (!r.ok()) return failRecord(r, QStringLiteral("merged ranges cut short"));
            break;
        }
        case kObj:
            // The first sub-record (common object data) carries the object's id.
            if (size >= 8 && rd16(p) == 0x15) m_lastObjectId = rd16(p + 6);
            break;
        case kTxo: {
            if (size < 14 || r.segments.size() < 2) break;
            const int count = rd16(p + 10);
            r.rewind(1, 0);
            const bool high = r.u8() & 0x01;
            const QString text = r.readChars(count, high);
            if (!r.ok()) return failRecord(r, QStringLiteral("comment text cut short"));
            m_objectTexts[m_lastObjectId] = text;
            break;
        }
        case kNote: {
            if (size < 8) return failRecord(r, QStringLiteral("comment cut short"));
            const int row = rd16(p), column = rd16(p + 2), id = rd16(p + 6);
            r.rewind(0, 8);
            CellComment comment;
            comment.author = r.readUnicodeString();
            const auto text = m_objectTexts.find(id);
            if (text != m_objectTexts.end()) comment.text = text->second;
            sheet->comments[SheetData::commentKey(row + 1, column + 1)] = comment;
            break;
        }
        case kRow: {
            if (size < 16) return failRecord(r, QStringLiteral("row cut short"));
            // Only rows with their own height: the rest follow the default.
            if (rd32(p + 12) & 0x40) sheet->rowHeights[rd16(p) + 1] = (rd16(p + 6) & 0x7FFF) / 20.0;
            break;
        }
        case kDefaultRowHeight:
            if (size >= 4 && rd16(p + 2) > 0) {
                sheet->defaultRowHeight = rd16(p + 2) / 20.0;
                sheet->defaultRowHeightSet = rd16(p) & 1; // fUnsynced: set by hand
            }
            break;
        case kDimensions:
            if (size >= 8) sheet->rows.reserve(std::min<std::uint32_t>(rd32(p + 4), kMaxRows));
            break;
        default:
            break;
        }
    }
    return fail(cutShort
                    ? QStringLiteral("sheet \"%1\" is cut short").arg(bound.name)
                    : QStringLiteral("sheet \"%1\" ends without an EOF record").arg(bound.name));
}

} // namespace excel
