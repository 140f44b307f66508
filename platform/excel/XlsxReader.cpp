#include "platform/excel/XlsxReader.h"

#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/PackagePath.h"
#include "platform/excel/PackageRelationships.h"
#include "platform/excel/SharedStringsParser.h"
#include "platform/excel/SheetParser.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/XlsxXml.h"
#include "platform/excel/XmlText.h"
#include "platform/excel/ZipReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <pugixml.hpp>
#include <thread>
#include <vector>

namespace excel {

namespace {

class Reader
{
public:
    Reader(ZipReader &zip, const QString &name, WorkbookData *out, const XlsxReader::Limits &limits)
        : m_zip(zip), m_name(name), m_out(out), m_limits(limits)
    {
    }

    bool run();
    QString error() const { return m_error; }
    // How to open the package a second time, so that the shared strings can be read on a
    // thread of their own while the sheets are read (null: one after the other).
    void setReopen(std::function<bool(ZipReader &)> reopen) { m_reopen = std::move(reopen); }
    // Told the number of shared strings read so far, as they are read.
    void setProgress(std::function<void(std::size_t)> progress)
    {
        m_progress = std::move(progress);
    }
    bool readSharedStrings(const QString &part);

private:
    bool fail(const QString &part, const QString &what)
    {
        m_error = QStringLiteral("Cannot read \"%1\": %2: %3").arg(m_name, part, what);
        return false;
    }
    // Parts that hold texts (shared strings, comments) keep an element's text when it is all
    // white space: a cell of one blank is not empty.
    enum class Text { Markup, Kept };
    bool loadXml(const QString &part, pugi::xml_document *doc, bool required = true,
                 Text text = Text::Markup);
    bool readRelationships(const QString &part, PackageRelationships *rels);
    bool readStyles(const QString &part);
    bool readTheme(const QString &part);
    bool readSheet(const QString &part, SheetData *sheet);
    bool readComments(const QString &part, SheetData *sheet);
    std::int32_t colorOf(const pugi::xml_node &color, int *colorIndex) const;

    ZipReader &m_zip;
    QString m_name;
    WorkbookData *m_out;
    XlsxReader::Limits m_limits;
    QString m_error;
    std::vector<std::int32_t> m_theme;
    std::size_t m_sharedCount = 0;
    std::int64_t m_cells = 0;
    std::function<bool(ZipReader &)> m_reopen;
    std::function<void(std::size_t)> m_progress;
    // While the shared strings are read beside the sheets: where sheets wait for them, and the
    // cells whose texts must move past them.
    std::function<std::size_t(std::size_t)> m_waitForShared;
    std::vector<SheetParser::CellPlace> m_deferredCells;
    bool m_deferStrings = false;
};

// The shared strings read on a thread of their own, through a second handle on the package.
struct SharedStringsTask
{
    ZipReader zip;
    WorkbookData data;
    std::unique_ptr<Reader> reader;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t published = 0;
    bool done = false;
    bool ok = false;
    QString failure; // when reading threw (out of memory)

    ~SharedStringsTask()
    {
        if (thread.joinable()) thread.join();
    }
    // Blocks until more than `index` strings are read or all of them are; the count then.
    std::size_t waitFor(std::size_t index)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return done || published > index; });
        return published;
    }
    void publish(std::size_t count, bool finished)
    {
        std::lock_guard<std::mutex> lock(mutex);
        published = count;
        done = done || finished;
        changed.notify_all();
    }
};

// Local name of a node ("x:sheet" -> "sheet").
const char *localName(const pugi::xml_node &n)
{
    const char *name = n.name();
    const char *colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool named(const pugi::xml_node &n, const char *name)
{
    return std::strcmp(localName(n), name) == 0;
}

pugi::xml_node child(const pugi::xml_node &n, const char *name)
{
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && named(c, name)) return c;
    return pugi::xml_node();
}

pugi::xml_attribute attribute(const pugi::xml_node &n, const char *name)
{
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        const char *an = a.name();
        const char *colon = std::strrchr(an, ':');
        if (std::strcmp(colon ? colon + 1 : an, name) == 0) return a;
    }
    return pugi::xml_attribute();
}

template <typename F> void forChildren(const pugi::xml_node &n, const char *name, F &&f)
{
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && named(c, name)) f(c);
}

std::int32_t applyTint(std::int32_t rgb, double tint)
{
    if (tint == 0 || rgb < 0) return rgb;
    double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0,
           b = (rgb & 0xFF) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double l = (mx + mn) / 2, h = 0, s = 0;
    if (mx != mn) {
        double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        h = mx == r ? (g - b) / d + (g < b ? 6 : 0) : mx == g ? (b - r) / d + 2 : (r - g) / d + 4;
        h /= 6;
    }
    l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
    auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    if (s == 0) {
        r = g = b = l;
    } else {
        double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
        r = hue(p, q, h + 1.0 / 3);
        g = hue(p, q, h);
        b = hue(p, q, h - 1.0 / 3);
    }
    auto c = [](double v) { return std::int32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}

} // namespace

bool Reader::loadXml(const QString &part, pugi::xml_document *doc, bool required, Text text)
{
    if (!m_zip.contains(part)) {
        if (required) return fail(part, QStringLiteral("the part is missing"));
        return true;
    }
    QByteArray data;
    if (!m_zip.read(part, &data, m_limits.maxPartBytes)) return fail(part, m_zip.errorString());
    const unsigned options =
        pugi::parse_default | (text == Text::Kept ? pugi::parse_ws_pcdata_single : 0u);
    QString why;
    if (!XlsxXml::parse(*doc, data, options, m_limits.maxXmlDepth, &why)) return fail(part, why);
    return true;
}

bool Reader::readRelationships(const QString &part, PackageRelationships *rels)
{
    const QString name = PackagePath::relationshipsOf(part);
    QByteArray data;
    if (m_zip.contains(name) && !m_zip.read(name, &data, m_limits.maxPartBytes))
        return fail(name, m_zip.errorString());
    QString why;
    if (!rels->load(part, data, m_limits.maxXmlDepth, &why)) return fail(name, why);
    return true;
}

bool Reader::readSharedStrings(const QString &part)
{
    // Streamed as it inflates, like the sheet data; what the streaming reader declines (another
    // encoding, unusual markup, damage) is read as a tree below, which also names the fault.
    if (!m_zip.contains(part)) return fail(part, QStringLiteral("the part is missing"));
    const std::size_t before = m_out->strings.size();
    SharedStringsParser parser(&m_out->strings, m_limits.maxXmlDepth, m_zip.inflatedSize(part));
    const bool streamed =
        m_zip.stream(part, m_limits.maxPartBytes, [&](const char *data, std::size_t size) {
            const bool fed = parser.feed(data, size);
            if (fed && m_progress) m_progress(m_out->strings.size());
            return fed;
        });
    if (streamed && parser.finish()) {
        m_sharedCount = m_out->strings.size();
        return true;
    }
    if (!parser.declined()) return fail(part, m_zip.errorString());
    m_out->strings.truncate(before);

    pugi::xml_document doc;
    if (!loadXml(part, &doc, true, Text::Kept)) return false;
    pugi::xml_node sst = doc.document_element();
    forChildren(sst, "si", [&](const pugi::xml_node &si) {
        m_out->strings.push_back(XlsxXml::stringItemText(si));
    });
    m_sharedCount = m_out->strings.size();
    return true;
}

bool Reader::readTheme(const QString &part)
{
    pugi::xml_document doc;
    if (!loadXml(part, &doc, false)) return false;
    pugi::xml_node scheme = child(child(doc.document_element(), "themeElements"), "clrScheme");
    std::vector<std::int32_t> colors;
    for (pugi::xml_node c = scheme.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        pugi::xml_node v = c.first_child();
        while (v && v.type() != pugi::node_element)
            v = v.next_sibling();
        const char *hex =
            named(v, "sysClr") ? attribute(v, "lastClr").value() : attribute(v, "val").value();
        bool ok = false;
        int rgb = QString::fromUtf8(hex).toInt(&ok, 16);
        colors.push_back(ok ? rgb : -1);
    }
    // theme colour numbers swap the first two pairs (light 1 is 0, dark 1 is 1)
    if (colors.size() >= 4) {
        std::swap(colors[0], colors[1]);
        std::swap(colors[2], colors[3]);
    }
    m_theme = colors;
    return true;
}

std::int32_t Reader::colorOf(const pugi::xml_node &color, int *colorIndex) const
{
    *colorIndex = 0;
    if (!color || attribute(color, "auto").as_bool()) return -1;
    std::int32_t rgb = -1;
    if (pugi::xml_attribute a = attribute(color, "rgb")) {
        bool ok = false;
        rgb = int(QString::fromUtf8(a.value()).toUInt(&ok, 16) & 0xFFFFFF);
        if (!ok) rgb = -1;
    } else if (pugi::xml_attribute i = attribute(color, "indexed")) {
        int idx = i.as_int(-1);
        rgb = StyleCodes::indexedColor(idx);
        if (idx >= 8 && idx < 64)
            *colorIndex = idx - 7;
        else if (idx >= 0 && idx < 8)
            *colorIndex = idx + 1;
    } else if (pugi::xml_attribute t = attribute(color, "theme")) {
        unsigned idx = t.as_uint(1000);
        if (idx < m_theme.size()) rgb = m_theme[idx];
    }
    if (rgb >= 0) rgb = applyTint(rgb, attribute(color, "tint").as_double(0));
    if (rgb >= 0 && *colorIndex == 0) *colorIndex = StyleCodes::nearestColorIndex(rgb);
    return rgb;
}

bool Reader::readStyles(const QString &part)
{
    pugi::xml_document doc;
    if (!loadXml(part, &doc)) return false;
    pugi::xml_node ss = doc.document_element();
    QHash<int, QString> formats;
    forChildren(child(ss, "numFmts"), "numFmt", [&](const pugi::xml_node &f) {
        formats.insert(attribute(f, "numFmtId").as_int(),
                       QString::fromUtf8(attribute(f, "formatCode").value()));
    });
    struct Font
    {
        std::int32_t color;
        int index;
    };
    std::vector<Font> fonts;
    forChildren(child(ss, "fonts"), "font", [&](const pugi::xml_node &f) {
        int index = 0;
        std::int32_t color = colorOf(child(f, "color"), &index);
        fonts.push_back(Font{color, color < 0 ? StyleCodes::ColorIndexAutomatic : index});
    });
    struct Fill
    {
        int pattern;
        std::int32_t color;
        int index;
    };
    std::vector<Fill> fills;
    forChildren(child(ss, "fills"), "fill", [&](const pugi::xml_node &f) {
        pugi::xml_node p = child(f, "patternFill");
        Fill fill{StyleCodes::PatternNone, -1, StyleCodes::ColorIndexNone};
        if (p) {
            pugi::xml_attribute type = attribute(p, "patternType");
            fill.pattern = type ? StyleCodes::patternFromName(QString::fromUtf8(type.value()))
                                : StyleCodes::PatternNone;
            if (fill.pattern != StyleCodes::PatternNone) {
                int index = 0;
                fill.color = colorOf(child(p, "fgColor"), &index);
                fill.index = fill.color < 0 ? StyleCodes::ColorIndexAutomatic : index;
            }
        } else if (child(f, "gradientFill")) {
            fill.pattern = StyleCodes::PatternSolid;
        }
        fills.push_back(fill);
    });
    std::vector<CellStyle> styles;
    int xfIndex = 0;
    forChildren(child(ss, "cellXfs"), "xf", [&](const pugi::xml_node &xf) {
        CellStyle s;
        s.sourceIndex = xfIndex++;
        s.numberFormatId = attribute(xf, "numFmtId").as_int(0);
        const auto defined = formats.constFind(s.numberFormatId);
        if (defined != formats.constEnd()) {
            s.numberFormat = defined.value();
            s.isDate = StyleCodes::isDateCode(s.numberFormat);
        } else {
            s.numberFormat = StyleCodes::builtinFormat(s.numberFormatId);
            s.isDate = StyleCodes::isDateFormat(s.numberFormatId, s.numberFormat);
        }
        unsigned font = attribute(xf, "fontId").as_uint(0);
        if (font < fonts.size()) {
            s.fontColor = fonts[font].color;
            s.fontColorIndex = fonts[font].index;
        }
        unsigned fill = attribute(xf, "fillId").as_uint(0);
        if (fill < fills.size()) {
            s.fillPattern = fills[fill].pattern;
            s.fillColor = fills[fill].color;
            s.fillColorIndex = fills[fill].index;
        }
        if (styles.size() < Cell::MaxStyles) styles.push_back(s);
    });
    if (styles.size() >= Cell::MaxStyles)
        return fail(part, QStringLiteral("more than %1 cell formats").arg(Cell::MaxStyles - 1));
    if (!styles.empty()) m_out->styles = std::move(styles);
    return true;
}

bool Reader::readComments(const QString &part, SheetData *sheet)
{
    pugi::xml_document doc;
    if (!loadXml(part, &doc, true, Text::Kept)) return false;
    pugi::xml_node root = doc.document_element();
    std::vector<QString> authors;
    forChildren(child(root, "authors"), "author", [&](const pugi::xml_node &a) {
        authors.push_back(XmlText::unescapeStringValue(XlsxXml::elementText(a)));
    });
    bool ok = true;
    forChildren(child(root, "commentList"), "comment", [&](const pugi::xml_node &c) {
        if (!ok) return;
        int row = 0, column = 0;
        QString ref = QString::fromUtf8(attribute(c, "ref").value());
        if (!CellAddress::parseCell(ref, &row, &column)) {
            ok = fail(part, QStringLiteral("a comment names the bad cell \"%1\"").arg(ref));
            return;
        }
        CellComment comment;
        comment.text = XlsxXml::stringItemText(child(c, "text"));
        unsigned author = attribute(c, "authorId").as_uint(~0u);
        if (author < authors.size()) comment.author = authors[author];
        sheet->comments[SheetData::commentKey(row, column)] = comment;
    });
    return ok;
}

bool Reader::readSheet(const QString &part, SheetData *sheet)
{
    SheetParser parser(sheet, m_out, m_sharedCount, m_limits.maxXmlDepth);
    if (m_deferStrings) {
        parser.setSharedCountSource(m_waitForShared);
        parser.deferStrings(&m_deferredCells);
    }
    bool parsed =
        m_zip.stream(part, m_limits.maxSheetBytes,
                     [&](const char *data, std::size_t size) { return parser.feed(data, size); });
    if (!parsed || !parser.finish()) {
        if (!parser.error().isEmpty()) return fail(part, parser.error());
        return fail(part, m_zip.errorString());
    }
    sheet->partName = part;
    for (const auto &row : sheet->rows)
        m_cells += std::int64_t(row.size());
    if (m_cells > m_limits.maxCells)
        return fail(part,
                    QStringLiteral("the workbook holds more than %1 cells").arg(m_limits.maxCells));
    if (parser.maxRow() > CellAddress::GridRows || parser.maxColumn() > CellAddress::GridColumns)
        m_out->warnings.push_back(
            QStringLiteral(
                "Sheet \"%1\" has cells beyond row %2 or column %3 (up to %4): comparisons "
                "cover rows 1-%2 and columns A-%3 only.")
                .arg(sheet->name)
                .arg(CellAddress::GridRows)
                .arg(CellAddress::columnLetters(CellAddress::GridColumns))
                .arg(CellAddress::address(CellRect{parser.maxRow(), parser.maxColumn(),
                                                   parser.maxRow(), parser.maxColumn()},
                                          CellAddress::Kind::Cells, false, false)));

    PackageRelationships rels;
    if (!readRelationships(part, &rels)) return false;
    for (const auto &r : rels.all())
        if (r.kind == QLatin1String("comments") && !r.external && !readComments(r.target, sheet))
            return false;
    return true;
}

bool Reader::run()
{
    m_zip.setMaxTotalBytes(m_limits.maxTotalBytes);
    m_zip.setMaxCompressionRatio(m_limits.maxCompressionRatio);
    if (!m_zip.contains(QStringLiteral("[Content_Types].xml")))
        return fail(QStringLiteral("[Content_Types].xml"),
                    QStringLiteral("the part is missing; this is no Office Open XML package"));
    // Not used here, but a save rewrites it: it must be as sound as the parts read.
    pugi::xml_document types;
    if (!loadXml(QStringLiteral("[Content_Types].xml"), &types)) return false;

    PackageRelationships rootRels;
    if (!readRelationships(QString(), &rootRels)) return false;
    const auto document = rootRels.byKind(QStringLiteral("officeDocument"));
    const QString workbookPart = document ? document->target : QStringLiteral("xl/workbook.xml");

    pugi::xml_document wb;
    if (!loadXml(workbookPart, &wb)) return false;
    pugi::xml_node root = wb.document_element();
    if (!named(root, "workbook"))
        return fail(workbookPart, QStringLiteral("the document is not a workbook"));
    m_out->date1904 = attribute(child(root, "workbookPr"), "date1904").as_bool();

    PackageRelationships rels;
    if (!readRelationships(workbookPart, &rels)) return false;
    if (const auto theme = rels.byKind(QStringLiteral("theme")); theme && !readTheme(theme->target))
        return false;
    if (const auto styles = rels.byKind(QStringLiteral("styles"));
        styles && !readStyles(styles->target))
        return false;
    const auto strings = rels.byKind(QStringLiteral("sharedStrings"));
    const QString stringsPart = strings ? strings->target : QString();
    const bool stringsBeside = strings && m_reopen && m_zip.contains(stringsPart) &&
                               m_zip.inflatedSize(stringsPart) > m_limits.sharedStringsBesideBytes;
    if (strings && !stringsBeside && !readSharedStrings(stringsPart)) return false;

    // Spreadsheet programs refuse a workbook with two sheets of one name, and so would every
    // save of it: refuse it here, where the user learns why.
    QStringList names;
    forChildren(child(root, "sheets"), "sheet", [&](const pugi::xml_node &s) {
        names << QString::fromUtf8(attribute(s, "name").value());
    });
    if (names.size() > m_limits.maxSheets)
        return fail(workbookPart, QStringLiteral("more than %1 sheets").arg(m_limits.maxSheets));
    const QString shared = WorkbookData::sharedName(names);
    if (!shared.isEmpty())
        return fail(workbookPart, QStringLiteral("two sheets are named \"%1\" (names of sheets "
                                                 "must differ, also in more than case)")
                                      .arg(shared));
    const int activeTab =
        attribute(child(child(root, "bookViews"), "workbookView"), "activeTab").as_int(0);

    // Large shared strings are read beside the sheets: a sheet that names a string not read yet
    // waits for it, and the sheets' own texts join the pool after the shared strings.
    std::unique_ptr<SharedStringsTask> sst;
    if (stringsBeside) {
        sst = std::make_unique<SharedStringsTask>();
        sst->zip.setMaxTotalBytes(m_limits.maxTotalBytes);
        sst->zip.setMaxCompressionRatio(m_limits.maxCompressionRatio);
        if (m_reopen(sst->zip) && sst->zip.sameEntry(m_zip, stringsPart)) {
            sst->reader = std::make_unique<Reader>(sst->zip, m_name, &sst->data, m_limits);
            SharedStringsTask *task = sst.get();
            sst->reader->setProgress([task](std::size_t n) { task->publish(n, false); });
            m_waitForShared = [task](std::size_t index) { return task->waitFor(index); };
            m_deferStrings = true;
            sst->thread = std::thread([task, stringsPart] {
                try {
                    task->ok = task->reader->readSharedStrings(stringsPart);
                } catch (const std::exception &e) {
                    task->ok = false;
                    task->failure = QString::fromUtf8(e.what());
                }
                task->publish(task->data.strings.size(), true);
            });
        } else {
            sst.reset();
            if (!readSharedStrings(stringsPart)) return false;
        }
    }

    int count = 0;
    bool ok = true;
    forChildren(child(root, "sheets"), "sheet", [&](const pugi::xml_node &s) {
        if (!ok) return;
        QString name = QString::fromUtf8(attribute(s, "name").value());
        const bool active = count++ == activeTab;
        QString id = QString::fromUtf8(attribute(s, "id").value());
        const auto rel = rels.byId(id);
        if (!rel || rel->external) {
            ok = fail(workbookPart,
                      QStringLiteral("sheet \"%1\" has no relationship \"%2\"").arg(name, id));
            return;
        }
        if (rel->kind != QLatin1String("worksheet")) {
            m_out->warnings.push_back(
                QStringLiteral("Sheet \"%1\" is a %2, not a worksheet; it is not shown.")
                    .arg(name, rel->kind));
            return;
        }
        auto sheet = std::make_unique<SheetData>();
        sheet->name = name;
        QString state = QString::fromUtf8(attribute(s, "state").value());
        sheet->visible = state == QLatin1String("hidden")       ? 0
                         : state == QLatin1String("veryHidden") ? 2
                                                                : -1;
        if (!readSheet(rel->target, sheet.get())) {
            ok = false;
            return;
        }
        if (active) m_out->activeSheet = int(m_out->sheets.size());
        m_out->sheets.push_back(std::move(sheet));
    });
    if (sst) {
        sst->thread.join();
        // A fault of the shared strings is told first, as when they were read first.
        if (!sst->ok) {
            if (!sst->failure.isEmpty()) return fail(stringsPart, sst->failure);
            m_error = sst->reader->error();
            return false;
        }
        if (!ok) return false;
        if (m_zip.totalInflated() + sst->zip.totalInflated() > m_limits.maxTotalBytes)
            return fail(stringsPart, QStringLiteral("the package inflates to more than %1 bytes")
                                         .arg(m_limits.maxTotalBytes));
        // The pool: the shared strings, then the sheets' own texts, whose cells move past them.
        StringPool own = std::move(m_out->strings);
        m_out->strings = std::move(sst->data.strings);
        const auto offset = std::uint32_t(m_out->strings.size());
        m_out->strings.append(own);
        for (const SheetParser::CellPlace &place : m_deferredCells) {
            Cell *cell = CellStore::find(*place.sheet, place.row, place.column);
            if (cell && cell->kind() == CellKind::String &&
                (cell->string() & SheetParser::DeferredString))
                cell->setString((cell->string() & ~SheetParser::DeferredString) + offset);
        }
        m_sharedCount = offset;
    }
    if (!ok) return false;
    if (m_out->sheets.empty())
        return fail(workbookPart, QStringLiteral("the workbook has no worksheet"));
    return true;
}

bool XlsxReader::read(const QString &path, WorkbookData *out, QString *error, const Limits &limits)
{
    ZipReader zip;
    if (!zip.open(path)) {
        QFile f(path);
        QByteArray head;
        if (f.open(QIODevice::ReadOnly)) head = f.read(8);
        QString why =
            head.startsWith("\xD0\xCF\x11\xE0")
                ? QStringLiteral(
                      "it is a legacy .xls workbook or an encrypted workbook, not an .xlsx package")
                : zip.errorString();
        if (error)
            *error =
                QStringLiteral("Cannot read \"%1\": %2").arg(QDir::toNativeSeparators(path), why);
        return false;
    }
    WorkbookData data;
    Reader reader(zip, QDir::toNativeSeparators(path), &data, limits);
    reader.setReopen([path](ZipReader &other) { return other.open(path); });
    if (!reader.run()) {
        if (error) *error = reader.error();
        return false;
    }
    data.path = QFileInfo(path).absoluteFilePath();
    data.format = path.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive)
                      ? WorkbookData::Format::Xlsm
                      : WorkbookData::Format::Xlsx;
    *out = std::move(data);
    return true;
}

bool XlsxReader::readBytes(const QByteArray &bytes, const QString &name, WorkbookData *out,
                           QString *error, const Limits &limits)
{
    ZipReader zip;
    if (!zip.openBytes(bytes)) {
        if (error) *error = QStringLiteral("Cannot read \"%1\": %2").arg(name, zip.errorString());
        return false;
    }
    WorkbookData data;
    Reader reader(zip, name, &data, limits);
    reader.setReopen([&bytes](ZipReader &other) { return other.openBytes(bytes); });
    if (!reader.run()) {
        if (error) *error = reader.error();
        return false;
    }
    data.format = WorkbookData::Format::Xlsx;
    *out = std::move(data);
    return true;
}

} // namespace excel
