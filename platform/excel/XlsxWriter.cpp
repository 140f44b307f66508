#include "platform/excel/XlsxWriter.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/PackagePath.h"
#include "platform/excel/RowMoves.h"
#include "platform/excel/XlsxCommentWriter.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxSheetSplice.h"
#include "platform/excel/XlsxSheetWriter.h"
#include "platform/excel/XlsxStringTable.h"
#include "platform/excel/XlsxWorkbookPart.h"
#include "platform/excel/XlsxXml.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace excel {

namespace {

const QString ctWorkbook =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
const QString ctMacroWorkbook =
    QStringLiteral("application/vnd.ms-excel.sheet.macroEnabled.main+xml");
const QString ctWorksheet =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
const QString ctComments =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml");
const QString ctSharedStrings =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
const QString ctStyles =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
const QString ctVml = QStringLiteral("application/vnd.openxmlformats-officedocument.vmlDrawing");

// Parts larger than these are refused rather than inflated into memory.
const std::int64_t maxPartSize = XlsxLimits().maxPartBytes;
const std::int64_t maxSheetPartSize = XlsxLimits().maxSheetBytes;

const char newContentTypes[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/xl/workbook.xml\" ContentType=\"%1\"/></Types>";
const char newRootRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";
const char newWorkbook[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
    "<workbookPr/><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets/>"
    "<calcPr calcId=\"0\"/></workbook>";

// Visible is -1 (or any value but the two hidden ones), hidden 0, very hidden 2.
bool shown(const SheetData &sheet)
{
    return sheet.visible != 0 && sheet.visible != 2;
}

} // namespace

XlsxWriter::XlsxWriter(const WorkbookData &data, const QString &path, Link link)
    : m_data(data), m_path(path), m_link(link)
{
}

bool XlsxWriter::save(const WorkbookData &data, const QString &path, QString *error, Link link)
{
    XlsxWriter writer(data, path, link);
    return writer.run(error);
}

bool XlsxWriter::fail(const QString &reason)
{
    m_error = reason;
    return false;
}

bool XlsxWriter::run(QString *error)
{
    auto report = [&](const QString &reason) {
        if (error) *error = QStringLiteral("Cannot save \"%1\": %2.").arg(m_path, reason);
        return false;
    };
    if (m_path.isEmpty()) return report(QStringLiteral("no file name was given"));
    if (m_path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return report(QStringLiteral("workbooks are saved as .xlsx, never in the old .xls format; "
                                     "choose a name ending in .xlsx"));
    QString why;
    if (!PackageWriter::checkTarget(&m_path, m_link, &why)) return report(why);
    if (!checkWorkbook() || !startPackage()) return report(m_error);
    const bool kindChanged = matchKindToName();
    if (edited()) {
        if (!prepareStrings() || !prepareStyles() || !writeSheets() || !writeWorkbook())
            return report(m_error);
    }
    if (edited() || kindChanged) {
        if (m_workbookRels.changed())
            m_package.put(PackagePath::relationshipsOf(m_workbookPart), m_workbookRels.xml());
        m_package.put(QStringLiteral("[Content_Types].xml"), m_types.xml());
    }
    if (!m_package.write(m_path, m_link, &why)) return report(why);
    return true;
}

// Spreadsheet programs refuse a whole file for one bad sheet name or no visible sheet.
bool XlsxWriter::checkWorkbook()
{
    if (m_data.sheets.empty()) return fail(QStringLiteral("the workbook has no sheets"));
    bool anyVisible = false;
    for (const auto &sheet : m_data.sheets)
        anyVisible = anyVisible || shown(*sheet);
    if (!anyVisible)
        return fail(QStringLiteral("every sheet is hidden; at least one must be visible"));
    static const QRegularExpression forbidden(QStringLiteral("[\\[\\]:*?/\\\\]"));
    QSet<QString> names;
    for (const auto &sheet : m_data.sheets) {
        const QString &name = sheet->name;
        if (name.isEmpty() || name.size() > 31 || name.contains(forbidden) ||
            name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
            return fail(QStringLiteral("the sheet name \"%1\" is not allowed").arg(name));
        if (names.contains(name.toCaseFolded()))
            return fail(QStringLiteral("two sheets are named \"%1\"").arg(name));
        names.insert(name.toCaseFolded());
    }
    return true;
}

// The package the save starts from: the source file's, or a minimal one that the sheets,
// strings and styles are added to.
bool XlsxWriter::startPackage()
{
    // A file the program names itself is not read through a link found at its path either:
    // what the link leads to is not the file saved last time, so the store is written whole.
    const bool fromFile = !m_data.path.isEmpty() && m_data.format != WorkbookData::Format::New &&
                          m_data.format != WorkbookData::Format::Xls &&
                          QFileInfo::exists(m_data.path) &&
                          !(m_link == Link::Replace && QFileInfo(m_data.path).isSymLink());
    if (fromFile) {
        if (!m_package.openSource(m_data.path, &m_error)) return false;
    } else {
        const bool macro = m_path.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive);
        m_package.put(QStringLiteral("[Content_Types].xml"),
                      QString::fromLatin1(newContentTypes)
                          .arg(macro ? ctMacroWorkbook : ctWorkbook)
                          .toUtf8());
        m_package.put(QStringLiteral("_rels/.rels"), newRootRels);
        m_package.put(QStringLiteral("xl/workbook.xml"), newWorkbook);
    }
    QByteArray bytes;
    QString why;
    if (!readPart(QStringLiteral("[Content_Types].xml"), &bytes, maxPartSize)) return false;
    if (!m_types.load(bytes, XlsxLimits().maxXmlDepth, &why))
        return fail(QStringLiteral("the part [Content_Types].xml of \"%1\" is malformed (%2)")
                        .arg(m_data.path, why));
    PackageRelationships root;
    if (!loadRelationships(QString(), &root)) return false;
    // Where the reader looks too when the package names no main part.
    const auto document = root.byKind(QStringLiteral("officeDocument"));
    m_workbookPart = document ? document->target : QStringLiteral("xl/workbook.xml");
    if (!m_package.has(m_workbookPart))
        return fail(QStringLiteral("\"%1\" names no workbook part").arg(m_data.path));
    return loadRelationships(m_workbookPart, &m_workbookRels);
}

bool XlsxWriter::readPart(const QString &part, QByteArray *out, std::int64_t limit)
{
    return m_package.read(part, out, limit, &m_error);
}

bool XlsxWriter::loadRelationships(const QString &part, PackageRelationships *rels)
{
    const QString name = PackagePath::relationshipsOf(part);
    QByteArray bytes;
    if (m_package.has(name) && !readPart(name, &bytes, maxPartSize)) return false;
    QString why;
    if (!rels->load(part, bytes, XlsxLimits().maxXmlDepth, &why))
        return fail(
            QStringLiteral("the part %1 of \"%2\" is malformed (%3)").arg(name, m_data.path, why));
    return true;
}

bool XlsxWriter::isNewSheet(const SheetData &sheet) const
{
    return sheet.partName.isEmpty() || !m_package.hasSource() || !m_package.has(sheet.partName);
}

bool XlsxWriter::edited() const
{
    if (m_data.structureModified || !m_package.hasSource()) return true;
    for (const auto &sheet : m_data.sheets)
        if (sheet->modified || sheet->partName.isEmpty()) return true;
    return false;
}

// A file named .xlsm must say it holds macros and one named .xlsx must not, or spreadsheet
// programs refuse to open it. Saving a macro workbook under an .xlsx name drops its macros.
bool XlsxWriter::matchKindToName()
{
    const bool wantMacros = m_path.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive);
    const QString wanted = wantMacros ? ctMacroWorkbook : ctWorkbook;
    const QString current = m_types.overrideOf(m_workbookPart);
    bool changed = false;
    if (!current.isEmpty() && current != wanted) {
        m_types.setOverride(m_workbookPart, wanted);
        changed = true;
    }
    if (wantMacros) return changed;
    const auto vba = m_workbookRels.byKind(QStringLiteral("vbaProject"));
    if (!vba) return changed;
    PackageRelationships vbaRels;
    if (loadRelationships(vba->target, &vbaRels)) {
        for (const auto &r : vbaRels.all()) {
            if (r.external) continue;
            m_package.drop(r.target);
            m_types.removeOverride(r.target);
        }
    }
    m_error.clear();
    m_package.drop(vba->target);
    m_package.drop(PackagePath::relationshipsOf(vba->target));
    m_types.removeOverride(vba->target);
    m_workbookRels.remove(vba->id);
    return true;
}

bool XlsxWriter::prepareStrings()
{
    // Which store strings the rewritten sheets use as shared strings.
    m_stringMap.assign(m_data.strings.size(), -1);
    std::vector<bool> used(m_data.strings.size(), false);
    bool any = false;
    for (const auto &sheet : m_data.sheets) {
        if (!sheet->modified && !isNewSheet(*sheet)) continue; // its part is copied as it is
        for (const auto &row : sheet->rows)
            for (const Cell &c : row)
                if (c.kind() == CellKind::String && !c.hasFormula && c.string() < used.size()) {
                    used[c.string()] = true;
                    any = true;
                }
    }
    if (!any) return true;

    XlsxStringTable table;
    const auto rel = m_workbookRels.byKind(QStringLiteral("sharedStrings"));
    QString part = rel ? rel->target : QString();
    if (!part.isEmpty() && m_package.has(part)) {
        QByteArray bytes;
        QString why;
        if (!readPart(part, &bytes, maxPartSize)) return false;
        if (!table.load(bytes, &why))
            return fail(QStringLiteral("the part %1 of \"%2\" is malformed (%3)")
                            .arg(part, m_data.path, why));
    } else {
        part = QStringLiteral("xl/sharedStrings.xml");
        if (m_package.has(part))
            part = m_package.unusedName(QStringLiteral("xl/sharedStrings%1.xml"));
        if (rel) m_workbookRels.remove(rel->id);
        m_workbookRels.add(QStringLiteral("sharedStrings"), part);
    }
    for (std::size_t i = 0; i < used.size(); ++i)
        if (used[i]) m_stringMap[i] = table.indexOf(m_data.strings[i]);
    if (!table.changed()) return true;
    QByteArray xml;
    QString why;
    if (!table.xml(&xml, &why))
        return fail(
            QStringLiteral("the part %1 of \"%2\" is malformed (%3)").arg(part, m_data.path, why));
    m_package.put(part, xml);
    m_types.setOverride(part, ctSharedStrings);
    return true;
}

bool XlsxWriter::prepareStyles()
{
    const auto rel = m_workbookRels.byKind(QStringLiteral("styles"));
    QString part = rel ? rel->target : QString();
    const bool existing = !part.isEmpty() && m_package.has(part);
    if (existing) {
        QByteArray xml;
        if (!readPart(part, &xml, maxPartSize)) return false;
        QString why;
        if (!m_styles.load(xml, &why))
            return fail(QStringLiteral("the part %1 of \"%2\" is malformed (%3)")
                            .arg(part, m_data.path, why));
    }
    m_styleMap.assign(m_data.styles.size(), 0);
    std::vector<bool> used(m_data.styles.size(), false);
    for (const auto &sheet : m_data.sheets) {
        if (!sheet->modified && !isNewSheet(*sheet)) continue; // its part is copied as it is
        for (const auto &row : sheet->rows)
            for (const Cell &c : row)
                if (c.style < used.size()) used[c.style] = true;
    }
    for (std::size_t i = 0; i < used.size(); ++i)
        if (used[i]) m_styleMap[i] = m_styles.formatIndex(m_data.styles, std::uint32_t(i));
    if (!existing) {
        part = QStringLiteral("xl/styles.xml");
        if (m_package.has(part)) part = m_package.unusedName(QStringLiteral("xl/styles%1.xml"));
        if (rel) m_workbookRels.remove(rel->id);
        m_workbookRels.add(QStringLiteral("styles"), part);
        m_package.put(part, m_styles.xml());
        m_types.setOverride(part, ctStyles);
    } else if (m_styles.changed()) {
        m_package.put(part, m_styles.xml());
    }
    return true;
}

bool XlsxWriter::writeSheets()
{
    // Parts of the file's worksheets, to find the ones the store no longer has.
    QSet<QString> kept;
    m_sheetParts.resize(m_data.sheets.size());
    m_sheetRelIds.resize(m_data.sheets.size());
    for (std::size_t i = 0; i < m_data.sheets.size(); ++i) {
        const SheetData &sheet = *m_data.sheets[i];
        const bool isNew = isNewSheet(sheet);
        const QString part = isNew
                                 ? m_package.unusedName(QStringLiteral("xl/worksheets/sheet%1.xml"))
                                 : sheet.partName;
        if (isNew) {
            m_package.put(part, QByteArray()); // reserve the name
            m_sheetRelIds[i] = m_workbookRels.add(QStringLiteral("worksheet"), part);
            m_types.setOverride(part, ctWorksheet);
        }
        m_sheetParts[i] = part;
        kept.insert(part.toCaseFolded());
        if ((isNew || sheet.modified) && !writeSheet(i, part, isNew)) return false;
    }
    // Worksheets the store dropped: their relationship, part and relationships go.
    for (const auto &r : m_workbookRels.all()) {
        if (r.kind != QLatin1String("worksheet") || r.external) continue;
        if (kept.contains(r.target.toCaseFolded())) continue;
        m_package.drop(r.target);
        m_package.drop(PackagePath::relationshipsOf(r.target));
        m_types.removeOverride(r.target);
        m_workbookRels.remove(r.id);
    }
    // The calculation chain lists formula cells; after edits it may name cells that no longer
    // hold one, which spreadsheet programs treat as damage. They rebuild it when it is absent.
    if (const auto chain = m_workbookRels.byKind(QStringLiteral("calcChain"))) {
        m_package.drop(chain->target);
        m_types.removeOverride(chain->target);
        m_workbookRels.remove(chain->id);
    }
    return true;
}

// What a spreadsheet program cannot hold is refused here rather than "repaired" (cut) by it
// when the file is opened.
bool XlsxWriter::checkSheet(const SheetData &sheet)
{
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        for (const Cell &c : sheet.rows[r]) {
            if (c.column < 1 || c.column > 16384)
                return fail(QStringLiteral("the sheet \"%1\" has a cell in column %2, beyond the "
                                           "last column (16384)")
                                .arg(sheet.name)
                                .arg(c.column));
            const QString *formula = CellStore::formula(sheet, int(r) + 1, c);
            if (c.kind() == CellKind::String && c.string() < m_data.strings.size() &&
                m_data.strings[c.string()].size() > 32767)
                return fail(
                    QStringLiteral("the text in %1 of the sheet \"%2\" is %3 characters "
                                   "long; a cell holds at most 32767")
                        .arg(QString::fromLatin1(XlsxXml::cellReference(int(r) + 1, c.column)),
                             sheet.name)
                        .arg(m_data.strings[c.string()].size()));
            if (formula && formula->size() > 8192)
                return fail(
                    QStringLiteral("the formula in %1 of the sheet \"%2\" is longer than "
                                   "8192 characters")
                        .arg(QString::fromLatin1(XlsxXml::cellReference(int(r) + 1, c.column)),
                             sheet.name));
        }
    }
    if (sheet.rows.size() > 1048576)
        return fail(
            QStringLiteral("the sheet \"%1\" has %2 rows, more than a file can hold (1048576)")
                .arg(sheet.name)
                .arg(sheet.rows.size()));
    for (const auto &entry : sheet.rowHeights)
        if (entry.first < 1 || entry.first > 1048576)
            return fail(QStringLiteral("the sheet \"%1\" gives a height to row %2, outside the "
                                       "sheet")
                            .arg(sheet.name)
                            .arg(entry.first));
    return checkMerges(sheet);
}

// Merged areas inside the grid that do not overlap: spreadsheet programs drop a file's
// merges, or refuse it, otherwise.
bool XlsxWriter::checkMerges(const SheetData &sheet)
{
    std::vector<CellRect> merges;
    for (const CellRect &m : sheet.merges) {
        if (m.firstRow < 1 || m.firstColumn < 1 || m.lastRow > 1048576 || m.lastColumn > 16384 ||
            m.firstRow > m.lastRow || m.firstColumn > m.lastColumn)
            return fail(QStringLiteral("the merged area %1 of the sheet \"%2\" is not a range "
                                       "of the sheet")
                            .arg(QString::fromLatin1(XlsxXml::rangeReference(
                                     m.firstRow, m.firstColumn, m.lastRow, m.lastColumn)),
                                 sheet.name));
        merges.push_back(m);
    }
    std::sort(merges.begin(), merges.end(),
              [](const CellRect &a, const CellRect &b) { return a.firstRow < b.firstRow; });
    std::vector<const CellRect *> open; // areas whose rows reach the current one
    for (const CellRect &m : merges) {
        std::erase_if(open, [&](const CellRect *o) { return o->lastRow < m.firstRow; });
        for (const CellRect *o : open)
            if (o->firstColumn <= m.lastColumn && m.firstColumn <= o->lastColumn)
                return fail(QStringLiteral("the merged areas %1 and %2 of the sheet \"%3\" "
                                           "overlap")
                                .arg(QString::fromLatin1(XlsxXml::rangeReference(
                                         o->firstRow, o->firstColumn, o->lastRow, o->lastColumn)),
                                     QString::fromLatin1(XlsxXml::rangeReference(
                                         m.firstRow, m.firstColumn, m.lastRow, m.lastColumn)),
                                     sheet.name));
        open.push_back(&m);
    }
    return true;
}

bool XlsxWriter::writeSheet(std::size_t index, const QString &partName, bool isNew)
{
    const SheetData &sheet = *m_data.sheets[index];
    if (!checkSheet(sheet)) return false;

    // The original part, read once: its structure, and the legacy drawing it already names.
    XlsxSheetSplice original;
    if (!isNew) {
        QByteArray xml;
        QString why;
        if (!readPart(partName, &xml, maxSheetPartSize)) return false;
        if (!original.load(std::move(xml), &why))
            return fail(QStringLiteral("the part %1 of \"%2\" is malformed (%3)")
                            .arg(partName, m_data.path, why));
    }
    PackageRelationships sheetRels;
    if (!loadRelationships(partName, &sheetRels)) return false;
    QString vmlId;
    if (!writeComments(index, sheetRels, isNew ? QString() : original.legacyDrawingId(), &vmlId))
        return false;
    if (sheetRels.changed()) m_package.put(PackagePath::relationshipsOf(partName), sheetRels.xml());

    QByteArray head, tail, prefix;
    XlsxSheetWriter::Kept kept;
    if (isNew) {
        bool selected = true;
        for (std::size_t j = 0; j < index; ++j)
            if (shown(*m_data.sheets[j])) selected = false;
        selected = selected && shown(sheet);
        head = XlsxSheetWriter::newSheetHead(sheet, selected);
        tail = XlsxSheetWriter::newSheetTail(sheet, vmlId.toUtf8());
    } else {
        QString why;
        prefix = original.prefix();
        if (!original.cut(sheet, vmlId, &head, &tail, &kept, &why))
            return fail(
                QStringLiteral("the part %1 of \"%2\": %3").arg(partName, m_data.path, why));
        // The sheet's tables follow its inserted and deleted rows, as its own references do.
        const RowMoves moves(sheet.rowMoves);
        for (const auto &r :
             moves.empty() ? std::vector<PackageRelationships::Relationship>() : sheetRels.all()) {
            if (r.external || r.kind != QLatin1String("table") || !m_package.has(r.target))
                continue;
            QByteArray table;
            if (!readPart(r.target, &table, maxPartSize)) return false;
            if (!moves.partXml(&table, sheet.name))
                return fail(QStringLiteral("the part %1 of \"%2\" is malformed")
                                .arg(r.target, m_data.path));
            m_package.put(r.target, table);
        }
    }

    const StringPool &strings = m_data.strings;
    const std::vector<std::int32_t> &stringMap = m_stringMap;
    const std::vector<int> &styleMap = m_styleMap;
    m_package.putStream(
        partName,
        [&sheet, &strings, &stringMap, &styleMap, head, tail, prefix, kept]() {
            auto writer = std::make_shared<XlsxSheetWriter>(sheet, strings, stringMap, styleMap,
                                                            head, tail, prefix, kept);
            return PackagePartStream::Producer(
                [writer](QByteArray &out) { return writer->produce(out); });
        },
        QStringLiteral("the sheet \"%1\"").arg(sheet.name));
    return true;
}

bool XlsxWriter::writeComments(std::size_t index, PackageRelationships &sheetRels,
                               const QString &legacyId, QString *vmlId)
{
    const SheetData &sheet = *m_data.sheets[index];
    const auto commentsRel = sheetRels.byKind(QStringLiteral("comments"));
    if (sheet.comments.empty() && !commentsRel) return true;

    QString commentsPart;
    if (commentsRel) {
        commentsPart = commentsRel->target;
    } else {
        commentsPart = m_package.unusedName(QStringLiteral("xl/comments%1.xml"));
        sheetRels.add(QStringLiteral("comments"), commentsPart);
    }
    m_package.put(commentsPart, XlsxCommentWriter::commentsXml(sheet));
    m_types.setOverride(commentsPart, ctComments);

    // The drawing the sheet already names, else a new one.
    QString vmlPart;
    if (const auto r = legacyId.isEmpty() ? std::nullopt : sheetRels.byId(legacyId)) {
        vmlPart = r->target;
        *vmlId = legacyId;
    }
    if (vmlPart.isEmpty()) {
        if (const auto r = sheetRels.byKind(QStringLiteral("vmlDrawing"))) {
            vmlPart = r->target;
            *vmlId = r->id;
        } else {
            vmlPart = m_package.unusedName(QStringLiteral("xl/drawings/vmlDrawing%1.vml"));
            *vmlId = sheetRels.add(QStringLiteral("vmlDrawing"), vmlPart);
        }
    }
    QByteArray existing;
    if (m_package.isCopied(vmlPart) && !readPart(vmlPart, &existing, maxPartSize)) return false;
    m_package.put(vmlPart, XlsxCommentWriter::vmlXml(sheet, int(index) + 1, existing));
    m_types.ensureDefault(QStringLiteral("vml"), ctVml);
    return true;
}

bool XlsxWriter::writeWorkbook()
{
    QByteArray xml, out;
    QString why;
    if (!readPart(m_workbookPart, &xml, maxPartSize)) return false;
    if (!XlsxWorkbookPart::rewrite(xml, m_data, m_sheetParts, m_sheetRelIds, m_workbookRels,
                                   !m_package.hasSource(), &out, &why))
        return fail(
            QStringLiteral("the part %1 of \"%2\" %3").arg(m_workbookPart, m_data.path, why));
    m_package.put(m_workbookPart, out);
    return true;
}

} // namespace excel
