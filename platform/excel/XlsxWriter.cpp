#include "platform/excel/XlsxWriter.h"

#include "platform/excel/XlsxCommentWriter.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxSheetWriter.h"
#include "platform/excel/XlsxStyleTable.h"
#include "platform/excel/XlsxXml.h"
#include "platform/excel/ZipReader.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace excel {

namespace {

const char *const ctWorkbook =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
const char *const ctMacroWorkbook = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
const char *const ctWorksheet =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
const char *const ctComments =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml";
const char *const ctSharedStrings =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
const char *const ctStyles =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
const char *const ctVml = "application/vnd.openxmlformats-officedocument.vmlDrawing";
const char *const relNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const QString relBase =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

// Parts larger than these are refused rather than inflated into memory.
const zip_uint64_t maxPartSize = zip_uint64_t(256) << 20;
const zip_uint64_t maxSheetPartSize = zip_uint64_t(2) << 30;

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
const char newWorkbookRels[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "</Relationships>";
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

// A sheet entry's relationship id: its prefixed "id" attribute, whatever prefix it uses.
QString relIdOf(const pugi::xml_node &node)
{
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        const char *colon = std::strchr(a.name(), ':');
        if (colon && std::strcmp(colon + 1, "id") == 0 && std::strncmp(a.name(), "xmlns", 5) != 0)
            return QString::fromUtf8(a.value());
    }
    return QString();
}

QString localName(const char *name)
{
    const char *colon = std::strchr(name, ':');
    return QString::fromUtf8(colon ? colon + 1 : name);
}

pugi::xml_node child(const pugi::xml_node &parent, const char *local)
{
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c.name()) == QLatin1String(local)) return c;
    return {};
}

QByteArray prefixOf(const pugi::xml_node &node)
{
    const char *name = node.name();
    const char *colon = std::strchr(name, ':');
    return colon ? QByteArray(name, int(colon - name + 1)) : QByteArray();
}

QByteArray serialize(const pugi::xml_document &doc)
{
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string s = out.str();
    return QByteArray(s.data(), qsizetype(s.size()));
}

// The relationship type's last word ("worksheet", "comments", ...), whatever its namespace.
QString relKind(const char *type)
{
    QString t = QString::fromUtf8(type);
    return t.mid(t.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString &part)
{
    int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString resolveTarget(const QString &fromPart, const QString &target)
{
    QString path =
        target.startsWith(QLatin1Char('/')) ? target.mid(1) : folderOf(fromPart) + target;
    QStringList out;
    for (const QString &seg : path.split(QLatin1Char('/'))) {
        if (seg == QLatin1String("..")) {
            if (!out.isEmpty()) out.removeLast();
        } else if (!seg.isEmpty() && seg != QLatin1String(".")) {
            out << seg;
        }
    }
    return out.join(QLatin1Char('/'));
}

QString relsNameFor(const QString &part)
{
    int slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

// A target for a relationship from fromPart to toPart, relative to fromPart's folder.
QString relativeTarget(const QString &fromPart, const QString &toPart)
{
    QStringList from = folderOf(fromPart).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList to = toPart.split(QLatin1Char('/'));
    int common = 0;
    while (common < from.size() && common < to.size() - 1 && from[common] == to[common])
        ++common;
    QStringList out;
    for (int i = common; i < from.size(); ++i)
        out << QStringLiteral("..");
    for (int i = common; i < to.size(); ++i)
        out << to[i];
    return out.join(QLatin1Char('/'));
}

// A sheet name as a formula writes it before "!".
QString quotedSheetName(const QString &name)
{
    static const QRegularExpression plain(
        QStringLiteral("^[A-Za-z_\\x{80}-\\x{FFFF}][A-Za-z0-9_.\\x{80}-\\x{FFFF}]*$"));
    static const QRegularExpression cellLike(
        QStringLiteral("^[A-Za-z]{1,3}[0-9]+$|^[Rr][0-9]*[Cc][0-9]*$"));
    if (plain.match(name).hasMatch() && !cellLike.match(name).hasMatch()) return name;
    QString quoted = name;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Rewrites "Old!A1" and "'Old name'!A1" to the new name (to "#REF!A1" for a deleted sheet),
// outside string literals.
QString renameSheetReferences(const QString &formula, const QString &from, const QString &to)
{
    QString quotedFrom = from;
    quotedFrom.replace(QLatin1Char('\''), QStringLiteral("''"));
    const QString forms[] = {QLatin1Char('\'') + quotedFrom + QStringLiteral("'!"),
                             from + QLatin1Char('!')};
    const QString target =
        to.isEmpty() ? QStringLiteral("#REF!") : quotedSheetName(to) + QLatin1Char('!');
    QString out;
    bool inString = false;
    for (qsizetype i = 0; i < formula.size();) {
        const QChar c = formula[i];
        if (c == QLatin1Char('"')) {
            inString = !inString;
            out += c;
            ++i;
            continue;
        }
        if (!inString) {
            bool replaced = false;
            for (const QString &form : forms) {
                const bool atStart =
                    i == 0 ||
                    !(formula[i - 1].isLetterOrNumber() || formula[i - 1] == QLatin1Char('_') ||
                      formula[i - 1] == QLatin1Char('.') || formula[i - 1] == QLatin1Char('\''));
                if (atStart &&
                    formula.mid(i, form.size()).compare(form, Qt::CaseInsensitive) == 0) {
                    out += target;
                    i += form.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced) continue;
        }
        out += c;
        ++i;
    }
    return out;
}

// A relationships part held as a tree.
struct Rels
{
    QString part; // the part whose relationships these are
    pugi::xml_document doc;
    bool changed = false;

    pugi::xml_node root() const { return doc.document_element(); }

    pugi::xml_node byId(const QString &id) const
    {
        for (pugi::xml_node r = root().first_child(); r; r = r.next_sibling())
            if (QString::fromUtf8(r.attribute("Id").value()) == id) return r;
        return {};
    }
    pugi::xml_node byKind(const QString &kind) const
    {
        for (pugi::xml_node r = root().first_child(); r; r = r.next_sibling())
            if (r.type() == pugi::node_element && relKind(r.attribute("Type").value()) == kind &&
                QString::fromUtf8(r.attribute("TargetMode").value()) != QLatin1String("External"))
                return r;
        return {};
    }
    QString targetOf(const pugi::xml_node &r) const
    {
        return resolveTarget(part, QString::fromUtf8(r.attribute("Target").value()));
    }
    QString add(const QString &kind, const QString &toPart)
    {
        int n = 1;
        while (byId(QStringLiteral("rId%1").arg(n)))
            ++n;
        QString id = QStringLiteral("rId%1").arg(n);
        pugi::xml_node r = root().append_child((prefixOf(root()) + "Relationship").constData());
        r.append_attribute("Id").set_value(id.toUtf8().constData());
        r.append_attribute("Type").set_value((relBase + kind).toUtf8().constData());
        r.append_attribute("Target").set_value(relativeTarget(part, toPart).toUtf8().constData());
        changed = true;
        return id;
    }
};

struct Part
{
    QString name;
    enum Kind { Copy, Bytes, Stream, Drop } kind = Copy;
    zip_uint64_t sourceIndex = 0;
    QByteArray bytes;
    std::function<std::unique_ptr<XlsxSheetWriter>()> makeStream;
    QString what; // what a streamed part holds, for messages ("the sheet \"Data\"")
};

// Feeds a sheet writer's pieces to the zip library. The pieces are generated on a second
// thread while the library compresses the previous ones. Whatever that thread throws (memory
// running out on a huge sheet) ends the part with an error the save reports; it never escapes
// the thread.
class StreamSource
{
public:
    StreamSource(std::function<std::unique_ptr<XlsxSheetWriter>()> make, QString what)
        : m_make(std::move(make)), m_what(std::move(what))
    {
        zip_error_init(&error);
    }
    ~StreamSource()
    {
        stop();
        zip_error_fini(&error);
    }

    void start()
    {
        stop();
        m_queue.clear();
        m_current.clear();
        m_offset = 0;
        m_done = false;
        m_stop = false;
        m_failure.clear();
        m_worker = std::thread([this]() {
            QString failure;
            try {
                produceAll();
                return;
            } catch (const std::bad_alloc &) {
                failure = QStringLiteral("there is not enough memory to write %1").arg(m_what);
            } catch (const std::exception &e) {
                failure = QStringLiteral("%1 could not be written (%2)")
                              .arg(m_what, QString::fromUtf8(e.what()));
            } catch (...) {
                failure = QStringLiteral("%1 could not be written").arg(m_what);
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_failure = failure;
            m_done = true;
            m_wake.notify_all();
        });
    }

    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
            m_wake.notify_all();
        }
        if (m_worker.joinable()) m_worker.join();
    }

    // The bytes given, or -1 when the writing thread failed.
    zip_int64_t read(char *out, zip_uint64_t len)
    {
        zip_uint64_t done = 0;
        while (done < len) {
            if (m_offset >= m_current.size()) {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_queue.empty() || m_done; });
                if (!m_failure.isEmpty()) return -1;
                if (m_queue.empty()) break;
                m_current = std::move(m_queue.front());
                m_queue.pop_front();
                m_offset = 0;
                m_wake.notify_all();
                continue;
            }
            zip_uint64_t n =
                std::min<zip_uint64_t>(len - done, zip_uint64_t(m_current.size() - m_offset));
            std::memcpy(out + done, m_current.constData() + m_offset, n);
            m_offset += qsizetype(n);
            done += n;
        }
        return zip_int64_t(done);
    }

    // Why the writing thread failed; "" when it did not.
    QString failure()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_failure;
    }

    zip_error_t error;

private:
    void produceAll()
    {
        std::unique_ptr<XlsxSheetWriter> writer = m_make();
        bool more = true;
        while (more) {
            QByteArray piece;
            if (XlsxWriter::pieceHook) XlsxWriter::pieceHook(m_what);
            more = writer->produce(piece);
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_queue.size() < 4 || m_stop; });
            if (m_stop) return;
            m_queue.push_back(std::move(piece));
            m_wake.notify_all();
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
        m_wake.notify_all();
    }

    std::function<std::unique_ptr<XlsxSheetWriter>()> m_make;
    QString m_what;
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue;
    QByteArray m_current;
    qsizetype m_offset = 0;
    bool m_done = false;
    bool m_stop = false;
    QString m_failure;
};

zip_int64_t streamCallback(void *userdata, void *data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto *s = static_cast<StreamSource *>(userdata);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        s->start();
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_int64_t n = s->read(static_cast<char *>(data), len);
        if (n < 0) zip_error_set(&s->error, ZIP_ER_INTERNAL, 0);
        return n;
    }
    case ZIP_SOURCE_CLOSE:
        s->stop();
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->mtime = std::time(nullptr);
        st->valid |= ZIP_STAT_MTIME;
        return sizeof(*st);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&s->error, data, len);
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

class Save
{
public:
    Save(const WorkbookData &data, const QString &path, XlsxWriter::Link link)
        : m_data(data), m_path(path), m_link(link)
    {
    }
    ~Save()
    {
        if (m_source) zip_discard(m_source);
    }

    bool run(QString *error);

private:
    bool fail(const QString &reason)
    {
        m_error = reason;
        return false;
    }
    bool openSource();
    void startNew();
    bool readPart(const QString &name, QByteArray *out, zip_uint64_t limit = maxPartSize);
    bool readXml(const QString &name, pugi::xml_document &doc);
    bool loadRels(const QString &part, Rels &rels);
    Part *part(const QString &name);
    // A sheet that has no part in the source file to keep, so its part is written anew.
    bool isNewSheet(const SheetData &sheet);
    void putPart(const QString &name, QByteArray bytes);
    void dropPart(const QString &name);
    QString unusedName(const QString &pattern);
    void setOverride(const QString &partName, const char *contentType);
    void removeOverride(const QString &partName);
    void ensureDefault(const char *extension, const char *contentType);
    bool edited() const;
    bool matchKindToName();
    bool prepareStrings();
    bool prepareStyles();
    bool writeSheets();
    bool writeSheet(size_t index, const QString &partName, bool isNew);
    bool checkMerges(const SheetData &sheet);
    bool writeComments(size_t index, Rels &sheetRels, const QString &legacyId, QString *vmlId);
    bool writeWorkbook();
    bool writeFile();

    const WorkbookData &m_data;
    QString m_path;
    XlsxWriter::Link m_link;
    bool m_linkAtTarget = false; // a link to be replaced stands at m_path
    QString m_error;
    zip_t *m_source = nullptr;
    std::vector<Part> m_parts;
    QHash<QString, size_t> m_partIndex; // by case-folded name: part names ignore case

    pugi::xml_document m_types;
    QString m_workbookPart;
    Rels m_workbookRels;
    std::vector<QString> m_sheetParts; // store sheet -> part written
    std::vector<QString> m_sheetRelIds;

    std::vector<std::int32_t> m_stringMap;
    QHash<QString, std::int32_t> m_sstIndex;
    std::int32_t m_sstCount = 0;
    QByteArray m_newStrings;
    bool m_stringsUsed = false;
    QString m_sstPart;

    XlsxStyleTable m_styles;
    std::vector<int> m_styleMap;
};

bool Save::openSource()
{
    int err = 0;
    m_source = zip_open(QFile::encodeName(m_data.path).constData(), ZIP_RDONLY, &err);
    if (!m_source) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, err);
        QString reason = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        return fail(
            QStringLiteral("its source \"%1\" cannot be read (%2)").arg(m_data.path, reason));
    }
    const QString shared = ZipReader::sharedEntryName(m_source);
    if (!shared.isEmpty())
        return fail(QStringLiteral("its source \"%1\" holds two entries named \"%2\"")
                        .arg(m_data.path, shared));
    zip_int64_t n = zip_get_num_entries(m_source, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char *name = zip_get_name(m_source, zip_uint64_t(i), 0);
        if (!name) continue;
        Part p;
        p.name = QString::fromUtf8(name);
        p.sourceIndex = zip_uint64_t(i);
        m_partIndex.insert(p.name.toCaseFolded(), m_parts.size());
        m_parts.push_back(std::move(p));
    }
    return true;
}

void Save::startNew()
{
    const bool macro = m_path.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive);
    const char *main = macro ? ctMacroWorkbook : ctWorkbook;
    // The starting package that the sheets, strings and styles are added to.
    putPart(QStringLiteral("[Content_Types].xml"),
            QString::fromLatin1(newContentTypes).arg(QLatin1String(main)).toUtf8());
    putPart(QStringLiteral("_rels/.rels"), newRootRels);
    putPart(QStringLiteral("xl/workbook.xml"), newWorkbook);
    putPart(QStringLiteral("xl/_rels/workbook.xml.rels"), newWorkbookRels);
}

Part *Save::part(const QString &name)
{
    auto it = m_partIndex.constFind(name.toCaseFolded());
    return it == m_partIndex.constEnd() || m_parts[it.value()].kind == Part::Drop
               ? nullptr
               : &m_parts[it.value()];
}

bool Save::isNewSheet(const SheetData &sheet)
{
    return sheet.partName.isEmpty() || !m_source || !part(sheet.partName);
}

void Save::putPart(const QString &name, QByteArray bytes)
{
    auto it = m_partIndex.constFind(name.toCaseFolded());
    if (it == m_partIndex.constEnd()) {
        Part p;
        p.name = name;
        it = m_partIndex.insert(name.toCaseFolded(), m_parts.size());
        m_parts.push_back(std::move(p));
    }
    Part &p = m_parts[it.value()];
    p.kind = Part::Bytes;
    p.bytes = std::move(bytes);
}

void Save::dropPart(const QString &name)
{
    auto it = m_partIndex.constFind(name.toCaseFolded());
    if (it != m_partIndex.constEnd()) m_parts[it.value()].kind = Part::Drop;
}

QString Save::unusedName(const QString &pattern)
{
    for (int n = 1;; ++n) {
        QString name = pattern.arg(n);
        if (!m_partIndex.contains(name.toCaseFolded())) return name;
    }
}

bool Save::readPart(const QString &name, QByteArray *out, zip_uint64_t limit)
{
    Part *p = part(name);
    if (!p) return false;
    if (p->kind == Part::Bytes) {
        *out = p->bytes;
        return true;
    }
    if (p->kind != Part::Copy || !m_source) return false;
    zip_stat_t st;
    if (zip_stat_index(m_source, p->sourceIndex, 0, &st) != 0) return false;
    if (!(st.valid & ZIP_STAT_SIZE) || st.size > limit)
        return fail(QStringLiteral("the part %1 of \"%2\" is too large").arg(name, m_data.path));
    zip_file_t *f = zip_fopen_index(m_source, p->sourceIndex, 0);
    if (!f)
        return fail(QStringLiteral("the part %1 of \"%2\" cannot be read").arg(name, m_data.path));
    out->resize(qsizetype(st.size));
    zip_int64_t got = zip_fread(f, out->data(), st.size);
    zip_fclose(f);
    if (got < 0 || zip_uint64_t(got) != st.size)
        return fail(QStringLiteral("the part %1 of \"%2\" is damaged").arg(name, m_data.path));
    return true;
}

bool Save::readXml(const QString &name, pugi::xml_document &doc)
{
    QByteArray bytes;
    if (!readPart(name, &bytes)) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("the part %1 is missing from \"%2\"").arg(name, m_data.path);
        return false;
    }
    QString why;
    if (!XlsxXml::parse(doc, bytes,
                        pugi::parse_default | pugi::parse_declaration |
                            pugi::parse_ws_pcdata_single,
                        XlsxLimits().maxXmlDepth, &why))
        return fail(
            QStringLiteral("the part %1 of \"%2\" is malformed (%3)").arg(name, m_data.path, why));
    XlsxXml::declareUtf8(doc);
    return true;
}

bool Save::loadRels(const QString &part, Rels &rels)
{
    rels.part = part;
    const QString name = relsNameFor(part);
    if (!this->part(name)) {
        rels.doc.load_string(newWorkbookRels, pugi::parse_default | pugi::parse_declaration);
        return true;
    }
    return readXml(name, rels.doc);
}

void Save::setOverride(const QString &partName, const char *contentType)
{
    pugi::xml_node root = m_types.document_element();
    const QByteArray name = ('/' + partName).toUtf8();
    for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling()) {
        if (localName(o.name()) == QLatin1String("Override") &&
            QString::fromUtf8(o.attribute("PartName").value())
                    .compare(QString::fromUtf8(name), Qt::CaseInsensitive) == 0) {
            o.attribute("ContentType").set_value(contentType);
            return;
        }
    }
    pugi::xml_node o = root.append_child((prefixOf(root) + "Override").constData());
    o.append_attribute("PartName").set_value(name.constData());
    o.append_attribute("ContentType").set_value(contentType);
}

void Save::removeOverride(const QString &partName)
{
    pugi::xml_node root = m_types.document_element();
    const QString name = QLatin1Char('/') + partName;
    for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling()) {
        if (QString::fromUtf8(o.attribute("PartName").value()).compare(name, Qt::CaseInsensitive) ==
            0) {
            root.remove_child(o);
            return;
        }
    }
}

void Save::ensureDefault(const char *extension, const char *contentType)
{
    pugi::xml_node root = m_types.document_element();
    for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling())
        if (localName(o.name()) == QLatin1String("Default") &&
            QString::fromUtf8(o.attribute("Extension").value())
                    .compare(QLatin1String(extension), Qt::CaseInsensitive) == 0)
            return;
    pugi::xml_node d = root.prepend_child((prefixOf(root) + "Default").constData());
    d.append_attribute("Extension").set_value(extension);
    d.append_attribute("ContentType").set_value(contentType);
}

bool Save::edited() const
{
    if (m_data.structureModified || !m_source) return true;
    for (const auto &sheet : m_data.sheets)
        if (sheet->modified || sheet->partName.isEmpty()) return true;
    return false;
}

// A file named .xlsm must say it holds macros and one named .xlsx must not, or spreadsheet
// programs refuse to open it. Saving a macro workbook under an .xlsx name drops its macros.
bool Save::matchKindToName()
{
    const bool wantMacros = m_path.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive);
    const char *wanted = wantMacros ? ctMacroWorkbook : ctWorkbook;
    pugi::xml_node root = m_types.document_element();
    const QString name = QLatin1Char('/') + m_workbookPart;
    bool changed = false;
    for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling()) {
        if (QString::fromUtf8(o.attribute("PartName").value()).compare(name, Qt::CaseInsensitive) !=
            0)
            continue;
        if (std::strcmp(o.attribute("ContentType").value(), wanted) != 0) {
            o.attribute("ContentType").set_value(wanted);
            changed = true;
        }
    }
    if (wantMacros) return changed;
    pugi::xml_node vba = m_workbookRels.byKind(QStringLiteral("vbaProject"));
    if (!vba) return changed;
    const QString target = m_workbookRels.targetOf(vba);
    Rels vbaRels;
    if (loadRels(target, vbaRels)) {
        for (pugi::xml_node r = vbaRels.root().first_child(); r; r = r.next_sibling()) {
            if (r.type() != pugi::node_element) continue;
            dropPart(vbaRels.targetOf(r));
            removeOverride(vbaRels.targetOf(r));
        }
    }
    m_error.clear();
    dropPart(target);
    dropPart(relsNameFor(target));
    removeOverride(target);
    m_workbookRels.root().remove_child(vba);
    m_workbookRels.changed = true;
    return true;
}

bool Save::run(QString *error)
{
    auto report = [&](const QString &reason) {
        if (error) *error = QStringLiteral("Cannot save \"%1\": %2.").arg(m_path, reason);
        return false;
    };
    if (m_path.isEmpty()) return report(QStringLiteral("no file name was given"));
    if (m_path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return report(QStringLiteral("workbooks are saved as .xlsx, never in the old .xls format; "
                                     "choose a name ending in .xlsx"));
    if (QFileInfo(m_path).isSymLink()) {
        if (m_link == XlsxWriter::Link::Replace)
            m_linkAtTarget = true; // what the link points to is none of this save's business
        else if (QFileInfo::exists(m_path))
            m_path = QFileInfo(m_path).canonicalFilePath();
    }
    QFileInfo target(m_path);
    if (!m_linkAtTarget) {
        if (target.isDir()) return report(QStringLiteral("a folder has that name"));
        // A file without its owner's write permission is read-only, even to an administrator.
        if (target.exists() && !(target.permissions() & QFileDevice::WriteOwner))
            return report(QStringLiteral("the file is read-only"));
    }
    if (!target.absoluteDir().exists())
        return report(
            QStringLiteral("the folder \"%1\" does not exist").arg(target.absolutePath()));
    if (m_data.sheets.empty()) return report(QStringLiteral("the workbook has no sheets"));
    bool anyVisible = false;
    for (const auto &sheet : m_data.sheets)
        anyVisible = anyVisible || shown(*sheet);
    if (!anyVisible)
        return report(QStringLiteral("every sheet is hidden; at least one must be visible"));
    // Spreadsheet programs refuse a whole file for one bad sheet name.
    QSet<QString> names;
    for (const auto &sheet : m_data.sheets) {
        const QString &name = sheet->name;
        if (name.isEmpty() || name.size() > 31 ||
            name.contains(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]"))) ||
            name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
            return report(QStringLiteral("the sheet name \"%1\" is not allowed").arg(name));
        if (names.contains(name.toCaseFolded()))
            return report(QStringLiteral("two sheets are named \"%1\"").arg(name));
        names.insert(name.toCaseFolded());
    }

    // A file the program names itself is not read through a link found at its path either:
    // what the link leads to is not the file saved last time, so the store is written whole.
    const bool fromFile =
        !m_data.path.isEmpty() && m_data.format != WorkbookData::Format::New &&
        m_data.format != WorkbookData::Format::Xls && QFileInfo::exists(m_data.path) &&
        !(m_link == XlsxWriter::Link::Replace && QFileInfo(m_data.path).isSymLink());
    if (fromFile) {
        if (!openSource()) return report(m_error);
    } else {
        startNew();
    }
    if (!readXml(QStringLiteral("[Content_Types].xml"), m_types)) return report(m_error);
    pugi::xml_document rootRels;
    if (!readXml(QStringLiteral("_rels/.rels"), rootRels)) return report(m_error);
    for (pugi::xml_node r = rootRels.document_element().first_child(); r; r = r.next_sibling())
        if (relKind(r.attribute("Type").value()) == QLatin1String("officeDocument"))
            m_workbookPart =
                resolveTarget(QString(), QString::fromUtf8(r.attribute("Target").value()));
    if (m_workbookPart.isEmpty() || !part(m_workbookPart))
        return report(QStringLiteral("\"%1\" names no workbook part").arg(m_data.path));
    if (!loadRels(m_workbookPart, m_workbookRels)) return report(m_error);
    const bool kindChanged = matchKindToName();
    if (edited()) {
        if (!prepareStrings() || !prepareStyles() || !writeSheets() || !writeWorkbook())
            return report(m_error);
    }
    if (edited() || kindChanged) {
        if (m_workbookRels.changed)
            putPart(relsNameFor(m_workbookPart), serialize(m_workbookRels.doc));
        putPart(QStringLiteral("[Content_Types].xml"), serialize(m_types));
    }
    if (!writeFile()) return report(m_error);
    return true;
}

bool Save::prepareStrings()
{
    // Which store strings the rewritten sheets use as shared strings.
    m_stringMap.assign(m_data.strings.size(), -1);
    std::vector<bool> used(m_data.strings.size(), false);
    for (const auto &sheet : m_data.sheets) {
        if (!sheet->modified && !isNewSheet(*sheet)) continue; // its part is copied as it is
        for (const auto &row : sheet->rows)
            for (const Cell &c : row)
                if (c.kind == CellKind::String && c.formula < 0 && c.value.string < used.size())
                    used[c.value.string] = true;
    }
    for (bool u : used)
        m_stringsUsed = m_stringsUsed || u;
    if (!m_stringsUsed) return true;

    pugi::xml_node rel = m_workbookRels.byKind(QStringLiteral("sharedStrings"));
    if (rel) m_sstPart = m_workbookRels.targetOf(rel);
    if (!m_sstPart.isEmpty() && part(m_sstPart)) {
        pugi::xml_document doc;
        if (!readXml(m_sstPart, doc)) return false;
        for (pugi::xml_node si = doc.document_element().first_child(); si; si = si.next_sibling()) {
            if (si.type() != pugi::node_element || localName(si.name()) != QLatin1String("si"))
                continue;
            const QString plain = XlsxXml::stringItemText(si);
            if (!m_sstIndex.contains(plain)) m_sstIndex.insert(plain, m_sstCount);
            ++m_sstCount;
        }
    } else {
        m_sstPart = QStringLiteral("xl/sharedStrings.xml");
        if (part(m_sstPart)) m_sstPart = unusedName(QStringLiteral("xl/sharedStrings%1.xml"));
        if (rel) m_workbookRels.root().remove_child(rel);
        m_workbookRels.add(QStringLiteral("sharedStrings"), m_sstPart);
        m_workbookRels.changed = true;
    }
    const std::int32_t original = m_sstCount;
    for (size_t i = 0; i < used.size(); ++i) {
        if (!used[i]) continue;
        const QString &s = m_data.strings[i];
        auto it = m_sstIndex.constFind(s);
        if (it != m_sstIndex.constEnd()) {
            m_stringMap[i] = it.value();
            continue;
        }
        m_stringMap[i] = m_sstCount;
        m_sstIndex.insert(s, m_sstCount++);
        m_newStrings += "<si><t";
        if (!s.isEmpty() && (s.front().isSpace() || s.back().isSpace()))
            m_newStrings += " xml:space=\"preserve\"";
        m_newStrings += '>';
        XlsxXml::appendEscaped(m_newStrings, s);
        m_newStrings += "</t></si>";
    }
    if (m_sstCount == original) return true;

    QByteArray xml;
    if (part(m_sstPart)) {
        if (!readPart(m_sstPart, &xml)) return false;
        XlsxXml::toUtf8(xml);
        XlsxXml::Layout layout;
        QString why;
        if (!XlsxXml::scan(xml, &layout, &why))
            return fail(QStringLiteral("the part %1 of \"%2\" is malformed (%3)")
                            .arg(m_sstPart, m_data.path, why));
        qsizetype tagBegin = xml.lastIndexOf('<', layout.startTagEnd - 1);
        QByteArray tag = xml.mid(tagBegin, layout.startTagEnd - tagBegin);
        QByteArray qname = layout.prefix + "sst";
        QByteArray newTag = '<' + qname;
        for (const auto &[name, value] : XlsxXml::attributes(tag))
            if (name != "count" && name != "uniqueCount")
                newTag += ' ' + name + "=\"" + QByteArray(value).replace('"', "&quot;") + '"';
        newTag += " uniqueCount=\"" + QByteArray::number(m_sstCount) + "\">";
        QByteArray items = m_newStrings;
        if (!layout.prefix.isEmpty()) {
            items.replace("<si>", '<' + layout.prefix + "si>")
                .replace("</si>", "</" + layout.prefix + "si>");
            items.replace("<t>", '<' + layout.prefix + "t>")
                .replace("</t>", "</" + layout.prefix + "t>");
            items.replace("<t ", '<' + layout.prefix + "t ");
        }
        QByteArray out = xml.left(tagBegin) + newTag;
        if (layout.endTagBegin == layout.startTagEnd) { // <sst .../>
            out += items + "</" + qname + '>' + xml.mid(layout.startTagEnd);
        } else {
            // New items go after the last one, before any extension list.
            qsizetype at = layout.endTagBegin;
            for (const auto &c : layout.children)
                if (c.localName == "extLst") at = std::min(at, c.begin);
            out += xml.mid(layout.startTagEnd, at - layout.startTagEnd) + items + xml.mid(at);
        }
        putPart(m_sstPart, out);
    } else {
        xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "uniqueCount=\"" +
              QByteArray::number(m_sstCount) + "\">" + m_newStrings + "</sst>";
        putPart(m_sstPart, xml);
    }
    setOverride(m_sstPart, ctSharedStrings);
    return true;
}

bool Save::prepareStyles()
{
    pugi::xml_node rel = m_workbookRels.byKind(QStringLiteral("styles"));
    QString stylesPart = rel ? m_workbookRels.targetOf(rel) : QString();
    const bool existing = !stylesPart.isEmpty() && part(stylesPart);
    if (existing) {
        QByteArray xml;
        if (!readPart(stylesPart, &xml)) return false;
        QString why;
        if (!m_styles.load(xml, &why))
            return fail(QStringLiteral("the part %1 of \"%2\" is malformed (%3)")
                            .arg(stylesPart, m_data.path, why));
    }
    m_styleMap.assign(m_data.styles.size(), 0);
    std::vector<bool> used(m_data.styles.size(), false);
    for (const auto &sheet : m_data.sheets) {
        if (!sheet->modified && !isNewSheet(*sheet)) continue; // its part is copied as it is
        for (const auto &row : sheet->rows)
            for (const Cell &c : row)
                if (c.style < used.size()) used[c.style] = true;
    }
    for (size_t i = 0; i < used.size(); ++i)
        if (used[i]) m_styleMap[i] = m_styles.formatIndex(m_data.styles, std::uint32_t(i));
    if (!existing) {
        stylesPart = QStringLiteral("xl/styles.xml");
        if (part(stylesPart)) stylesPart = unusedName(QStringLiteral("xl/styles%1.xml"));
        if (rel) m_workbookRels.root().remove_child(rel);
        m_workbookRels.add(QStringLiteral("styles"), stylesPart);
        putPart(stylesPart, m_styles.xml());
        setOverride(stylesPart, ctStyles);
    } else if (m_styles.changed()) {
        putPart(stylesPart, m_styles.xml());
    }
    return true;
}

bool Save::writeSheets()
{
    // Parts of the file's worksheets, to find the ones the store no longer has.
    QSet<QString> kept;
    m_sheetParts.resize(m_data.sheets.size());
    m_sheetRelIds.resize(m_data.sheets.size());
    for (size_t i = 0; i < m_data.sheets.size(); ++i) {
        const SheetData &sheet = *m_data.sheets[i];
        const bool isNew = isNewSheet(sheet);
        QString partName =
            isNew ? unusedName(QStringLiteral("xl/worksheets/sheet%1.xml")) : sheet.partName;
        if (isNew) {
            putPart(partName, QByteArray()); // reserve the name
            m_sheetRelIds[i] = m_workbookRels.add(QStringLiteral("worksheet"), partName);
            setOverride(partName, ctWorksheet);
        }
        m_sheetParts[i] = partName;
        kept.insert(partName.toCaseFolded());
        if ((isNew || sheet.modified) && !writeSheet(i, partName, isNew)) return false;
    }
    // Worksheets the store dropped: their relationship, part and relationships go.
    std::vector<pugi::xml_node> gone;
    for (pugi::xml_node r = m_workbookRels.root().first_child(); r; r = r.next_sibling()) {
        if (relKind(r.attribute("Type").value()) != QLatin1String("worksheet")) continue;
        QString target = m_workbookRels.targetOf(r);
        if (kept.contains(target.toCaseFolded())) continue;
        gone.push_back(r);
        dropPart(target);
        dropPart(relsNameFor(target));
        removeOverride(target);
    }
    for (auto &r : gone) {
        m_workbookRels.root().remove_child(r);
        m_workbookRels.changed = true;
    }
    // The calculation chain lists formula cells; after edits it may name cells that no longer
    // hold one, which spreadsheet programs treat as damage. They rebuild it when it is absent.
    pugi::xml_node chain = m_workbookRels.byKind(QStringLiteral("calcChain"));
    if (chain) {
        QString target = m_workbookRels.targetOf(chain);
        dropPart(target);
        removeOverride(target);
        m_workbookRels.root().remove_child(chain);
        m_workbookRels.changed = true;
    }
    return true;
}

// Merged areas inside the grid that do not overlap: spreadsheet programs drop a file's
// merges, or refuse it, otherwise.
bool Save::checkMerges(const SheetData &sheet)
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

bool Save::writeSheet(size_t index, const QString &partName, bool isNew)
{
    const SheetData &sheet = *m_data.sheets[index];
    // What a spreadsheet program cannot hold is refused here rather than "repaired" (cut) by
    // it when the file is opened.
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        for (const Cell &c : sheet.rows[r]) {
            if (c.column < 1 || c.column > 16384)
                return fail(QStringLiteral("the sheet \"%1\" has a cell in column %2, beyond the "
                                           "last column (16384)")
                                .arg(sheet.name)
                                .arg(c.column));
            const bool hasFormula = c.formula >= 0 && size_t(c.formula) < sheet.formulas.size();
            if (c.kind == CellKind::String && c.value.string < m_data.strings.size() &&
                m_data.strings[c.value.string].size() > 32767)
                return fail(
                    QStringLiteral("the text in %1 of the sheet \"%2\" is %3 characters "
                                   "long; a cell holds at most 32767")
                        .arg(QString::fromLatin1(XlsxXml::cellReference(int(r) + 1, c.column)),
                             sheet.name)
                        .arg(m_data.strings[c.value.string].size()));
            if (hasFormula && sheet.formulas[size_t(c.formula)].size() > 8192)
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
    if (!checkMerges(sheet)) return false;

    // The original part, read once: its layout, and the legacy drawing it already names.
    QByteArray xml;
    XlsxXml::Layout layout;
    QString legacyId;
    if (!isNew) {
        if (!readPart(partName, &xml, maxSheetPartSize)) return false;
        XlsxXml::toUtf8(xml);
        QString why;
        if (!XlsxXml::scan(xml, &layout, &why))
            return fail(QStringLiteral("the part %1 of \"%2\" is malformed (%3)")
                            .arg(partName, m_data.path, why));
        for (const auto &c : layout.children) {
            if (c.localName != "legacyDrawing") continue;
            for (const auto &[name, value] : XlsxXml::attributes(xml.mid(c.begin, c.end - c.begin)))
                if (name == "id" || name.endsWith(":id")) legacyId = QString::fromUtf8(value);
        }
    }
    Rels sheetRels;
    if (!loadRels(partName, sheetRels)) return false;
    QString vmlId;
    if (!writeComments(index, sheetRels, legacyId, &vmlId)) return false;
    if (sheetRels.changed) putPart(relsNameFor(partName), serialize(sheetRels.doc));

    QByteArray head, tail, prefix;
    XlsxSheetWriter::Kept kept;
    if (isNew) {
        bool selected = true;
        for (size_t j = 0; j < index; ++j)
            if (shown(*m_data.sheets[j])) selected = false;
        selected = selected && shown(sheet);
        head = XlsxSheetWriter::newSheetHead(sheet, selected);
        tail = XlsxSheetWriter::newSheetTail(sheet, vmlId.toUtf8());
    } else {
        prefix = layout.prefix;
        const XlsxXml::Child *data = nullptr;
        for (const auto &c : layout.children)
            if (c.localName == "sheetData") data = &c;
        if (!data)
            return fail(QStringLiteral("the part %1 of \"%2\" has no cell data")
                            .arg(partName, m_data.path));
        kept = XlsxSheetWriter::keptFromOriginal(xml, data->begin, data->end, prefix);

        // Elements that come after these in a worksheet, by the schema's order.
        static const QSet<QByteArray> afterMerges = {"phoneticPr",       "conditionalFormatting",
                                                     "dataValidations",  "hyperlinks",
                                                     "printOptions",     "pageMargins",
                                                     "pageSetup",        "headerFooter",
                                                     "rowBreaks",        "colBreaks",
                                                     "customProperties", "cellWatches",
                                                     "ignoredErrors",    "smartTags",
                                                     "drawing",          "legacyDrawing",
                                                     "legacyDrawingHF",  "drawingHF",
                                                     "picture",          "oleObjects",
                                                     "controls",         "webPublishItems",
                                                     "tableParts",       "extLst"};
        static const QSet<QByteArray> afterLegacyDrawing = {
            "legacyDrawingHF", "drawingHF",       "picture",    "oleObjects",
            "controls",        "webPublishItems", "tableParts", "extLst"};
        bool hasLegacyDrawing = false;
        for (const auto &c : layout.children)
            hasLegacyDrawing = hasLegacyDrawing || c.localName == "legacyDrawing";

        // Before the cell data, the dimension follows the cells and the default row height
        // the model; the sheet's format goes before the column widths when the file has none.
        qsizetype pos = 0;
        bool formatSeen = false;
        auto replace = [&](const XlsxXml::Child &c, const QByteArray &with, qsizetype resume) {
            head += xml.mid(pos, c.begin - pos) + with;
            pos = resume;
        };
        for (const auto &c : layout.children) {
            if (c.end > data->begin) break;
            if (c.localName == "dimension") {
                replace(c, XlsxSheetWriter::dimensionXml(sheet, prefix), c.end);
            } else if (c.localName == "sheetFormatPr") {
                formatSeen = true;
                const QByteArray tag = xml.mid(c.begin, xml.indexOf('>', c.begin) + 1 - c.begin);
                if (!XlsxSheetWriter::sheetFormatMatches(sheet, tag))
                    replace(c, XlsxSheetWriter::sheetFormatXml(sheet, prefix, tag), c.end);
            } else if (c.localName == "cols" && !formatSeen) {
                formatSeen = true;
                if (!XlsxSheetWriter::sheetFormatMatches(sheet, QByteArray()))
                    replace(c, XlsxSheetWriter::sheetFormatXml(sheet, prefix, QByteArray()),
                            c.begin);
            }
        }
        if (!formatSeen && !XlsxSheetWriter::sheetFormatMatches(sheet, QByteArray()))
            replace(*data, XlsxSheetWriter::sheetFormatXml(sheet, prefix, QByteArray()),
                    data->begin);
        head += xml.mid(pos, data->begin - pos);
        QByteArray merges = XlsxSheetWriter::mergeCellsXml(sheet, prefix);
        QByteArray legacy;
        if (!vmlId.isEmpty() && !hasLegacyDrawing)
            legacy = '<' + prefix + "legacyDrawing xmlns:r=\"" + relNs + "\" r:id=\"" +
                     vmlId.toUtf8() + "\"/>";
        pos = data->end;
        for (const auto &c : layout.children) {
            if (c.begin < data->end) continue;
            if (!merges.isEmpty() && afterMerges.contains(c.localName)) {
                tail += xml.mid(pos, c.begin - pos) + merges;
                merges.clear();
                pos = c.begin;
            }
            if (!legacy.isEmpty() && afterLegacyDrawing.contains(c.localName)) {
                tail += xml.mid(pos, c.begin - pos) + legacy;
                legacy.clear();
                pos = c.begin;
            }
            if (c.localName == "mergeCells") {
                tail += xml.mid(pos, c.begin - pos) + merges;
                merges.clear();
                pos = c.end;
            }
        }
        tail +=
            xml.mid(pos, layout.endTagBegin - pos) + merges + legacy + xml.mid(layout.endTagBegin);
    }

    Part *p = part(partName);
    if (!p) {
        putPart(partName, QByteArray());
        p = part(partName);
    }
    p->kind = Part::Stream;
    p->bytes.clear();
    p->what = QStringLiteral("the sheet \"%1\"").arg(sheet.name);
    const std::vector<QString> &strings = m_data.strings;
    const std::vector<std::int32_t> &stringMap = m_stringMap;
    const std::vector<int> &styleMap = m_styleMap;
    p->makeStream = [&sheet, &strings, &stringMap, &styleMap, head, tail, prefix, kept]() {
        return std::make_unique<XlsxSheetWriter>(sheet, strings, stringMap, styleMap, head, tail,
                                                 prefix, kept);
    };
    return true;
}

bool Save::writeComments(size_t index, Rels &sheetRels, const QString &legacyId, QString *vmlId)
{
    const SheetData &sheet = *m_data.sheets[index];
    pugi::xml_node commentsRel = sheetRels.byKind(QStringLiteral("comments"));
    if (sheet.comments.empty() && !commentsRel) return true;

    QString commentsPart;
    if (commentsRel) {
        commentsPart = sheetRels.targetOf(commentsRel);
    } else {
        commentsPart = unusedName(QStringLiteral("xl/comments%1.xml"));
        sheetRels.add(QStringLiteral("comments"), commentsPart);
    }
    putPart(commentsPart, XlsxCommentWriter::commentsXml(sheet));
    setOverride(commentsPart, ctComments);

    // The drawing the sheet already names, else a new one.
    QString vmlPart;
    if (pugi::xml_node r = legacyId.isEmpty() ? pugi::xml_node() : sheetRels.byId(legacyId)) {
        vmlPart = sheetRels.targetOf(r);
        *vmlId = legacyId;
    }
    if (vmlPart.isEmpty()) {
        pugi::xml_node r = sheetRels.byKind(QStringLiteral("vmlDrawing"));
        if (r) {
            vmlPart = sheetRels.targetOf(r);
            *vmlId = QString::fromUtf8(r.attribute("Id").value());
        } else {
            vmlPart = unusedName(QStringLiteral("xl/drawings/vmlDrawing%1.vml"));
            *vmlId = sheetRels.add(QStringLiteral("vmlDrawing"), vmlPart);
        }
    }
    QByteArray existing;
    if (Part *p = part(vmlPart); p && p->kind == Part::Copy && !readPart(vmlPart, &existing))
        return false;
    putPart(vmlPart, XlsxCommentWriter::vmlXml(sheet, int(index) + 1, existing));
    ensureDefault("vml", ctVml);
    m_error.clear();
    return true;
}

bool Save::writeWorkbook()
{
    pugi::xml_document doc;
    if (!readXml(m_workbookPart, doc)) return false;
    pugi::xml_node root = doc.document_element();
    const QByteArray p = prefixOf(root);
    pugi::xml_node sheets = child(root, "sheets");
    if (!sheets)
        return fail(QStringLiteral("the part %1 of \"%2\" lists no sheets")
                        .arg(m_workbookPart, m_data.path));

    // The prefix bound to the relationships namespace, declared when missing.
    QByteArray r;
    for (pugi::xml_attribute a = root.first_attribute(); a; a = a.next_attribute()) {
        QByteArray name = a.name();
        if (name.startsWith("xmlns:") && QByteArray(a.value()) == relNs) r = name.mid(6);
    }
    if (r.isEmpty()) {
        r = "r";
        root.append_attribute("xmlns:r").set_value(relNs);
    }
    const QByteArray idAttr = r + ":id";

    // The file's sheet entries; worksheets the store holds take the store's order, other
    // sheets (chart sheets) keep their places.
    std::vector<pugi::xml_node> old;
    for (pugi::xml_node s = sheets.first_child(); s; s = s.next_sibling())
        if (s.type() == pugi::node_element) old.push_back(s);
    QHash<QString, size_t> storeByPart;
    for (size_t i = 0; i < m_sheetParts.size(); ++i)
        storeByPart.insert(m_sheetParts[i].toCaseFolded(), i);
    struct Entry
    {
        int oldPos;     // -1 for a new sheet
        int storeIndex; // -1 for a sheet the store does not hold
    };
    std::vector<Entry> entries;
    std::vector<bool> placed(m_data.sheets.size(), false);
    size_t nextStore = 0;
    unsigned maxSheetId = 0;
    std::vector<int> storeOldPos(m_data.sheets.size(), -1);
    for (size_t k = 0; k < old.size(); ++k) {
        maxSheetId = std::max(maxSheetId, old[k].attribute("sheetId").as_uint());
        pugi::xml_node rel = m_workbookRels.byId(relIdOf(old[k]));
        QString target = rel ? m_workbookRels.targetOf(rel) : QString();
        auto it = storeByPart.constFind(target.toCaseFolded());
        if (it != storeByPart.constEnd()) storeOldPos[it.value()] = int(k);
    }
    for (size_t k = 0; k < old.size(); ++k) {
        pugi::xml_node rel = m_workbookRels.byId(relIdOf(old[k]));
        QString kind = rel ? relKind(rel.attribute("Type").value()) : QString();
        if (storeByPart.contains(rel ? m_workbookRels.targetOf(rel).toCaseFolded() : QString())) {
            while (nextStore < placed.size() && placed[nextStore])
                ++nextStore;
            if (nextStore < placed.size()) {
                entries.push_back({storeOldPos[nextStore], int(nextStore)});
                placed[nextStore] = true;
            }
        } else if (rel && kind != QLatin1String("worksheet")) {
            entries.push_back({int(k), -1});
        }
    }
    for (size_t i = 0; i < placed.size(); ++i)
        if (!placed[i]) entries.push_back({storeOldPos[i], int(i)});

    std::vector<int> newPosOfOld(old.size(), -1);
    std::vector<pugi::xml_node> fresh;
    std::vector<std::pair<QString, QString>> renamed;
    for (size_t n = 0; n < entries.size(); ++n) {
        const Entry &e = entries[n];
        pugi::xml_node s;
        if (e.oldPos >= 0) {
            s = sheets.append_copy(old[size_t(e.oldPos)]);
            newPosOfOld[size_t(e.oldPos)] = int(n);
        } else {
            s = sheets.append_child((p + "sheet").constData());
            s.append_attribute("name");
            s.append_attribute("sheetId").set_value(++maxSheetId);
            s.append_attribute(idAttr.constData())
                .set_value(m_sheetRelIds[size_t(e.storeIndex)].toUtf8().constData());
        }
        if (e.storeIndex >= 0) {
            const SheetData &sheet = *m_data.sheets[size_t(e.storeIndex)];
            s.attribute("name").set_value(sheet.name.toUtf8().constData());
            s.remove_attribute("state");
            if (!shown(sheet)) {
                pugi::xml_attribute state =
                    s.attribute("sheetId")
                        ? s.insert_attribute_after("state", s.attribute("sheetId"))
                        : s.append_attribute("state");
                state.set_value(sheet.visible == 2 ? "veryHidden" : "hidden");
            }
            if (e.oldPos >= 0) {
                const QString oldName =
                    QString::fromUtf8(old[size_t(e.oldPos)].attribute("name").value());
                if (oldName != sheet.name) renamed.emplace_back(oldName, sheet.name);
            }
        }
        fresh.push_back(s);
    }
    // Sheets that are gone (their relationships were dropped with them).
    for (size_t k = 0; k < old.size(); ++k)
        if (newPosOfOld[k] < 0)
            renamed.emplace_back(QString::fromUtf8(old[k].attribute("name").value()), QString());
    for (auto &o : old)
        sheets.remove_child(o);

    auto visibleAt = [&](int pos) {
        if (pos < 0 || pos >= int(fresh.size())) return false;
        QString state = QString::fromUtf8(fresh[size_t(pos)].attribute("state").value());
        return state.isEmpty() || state == QLatin1String("visible");
    };
    int firstVisible = 0;
    while (firstVisible < int(fresh.size()) && !visibleAt(firstVisible))
        ++firstVisible;

    // Names local to a sheet point at it by position.
    if (pugi::xml_node names = child(root, "definedNames")) {
        std::vector<pugi::xml_node> drop;
        for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling()) {
            pugi::xml_attribute local = n.attribute("localSheetId");
            if (!local) continue;
            int pos = local.as_int(-1);
            int now = pos >= 0 && pos < int(newPosOfOld.size()) ? newPosOfOld[size_t(pos)] : -1;
            if (now < 0)
                drop.push_back(n);
            else
                local.set_value(now);
        }
        // References to a renamed sheet follow it, as they do when a sheet is renamed by hand.
        if (!renamed.empty()) {
            for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling()) {
                if (n.type() != pugi::node_element) continue;
                QString text = QString::fromUtf8(n.child_value());
                const QString before = text;
                for (const auto &[from, to] : renamed)
                    text = renameSheetReferences(text, from, to);
                if (text != before) n.text().set(text.toUtf8().constData());
            }
        }
        for (auto &n : drop)
            names.remove_child(n);
        if (!names.first_child()) root.remove_child(names);
    }
    if (pugi::xml_node views = child(root, "bookViews")) {
        for (pugi::xml_node v = views.first_child(); v; v = v.next_sibling()) {
            int active = v.attribute("activeTab").as_int(0);
            int now = active < int(newPosOfOld.size()) ? newPosOfOld[size_t(active)] : -1;
            if (!visibleAt(now)) now = firstVisible;
            if (now != active || v.attribute("activeTab")) {
                if (!v.attribute("activeTab")) v.append_attribute("activeTab");
                v.attribute("activeTab").set_value(now);
            }
            if (v.attribute("firstSheet").as_int(0) > now) v.attribute("firstSheet").set_value(now);
        }
    }

    if (!m_source && m_data.date1904) {
        pugi::xml_node pr = child(root, "workbookPr");
        if (!pr) pr = root.prepend_child((p + "workbookPr").constData());
        pr.append_attribute("date1904").set_value("1");
    }

    // No calculation engine here: let the spreadsheet program recalculate on open.
    pugi::xml_node calc = child(root, "calcPr");
    if (!calc) {
        pugi::xml_node after = sheets;
        for (const char *name : {"functionGroups", "externalReferences", "definedNames"})
            if (pugi::xml_node n = child(root, name)) after = n;
        calc = root.insert_child_after((p + "calcPr").constData(), after);
    }
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad").set_value("1");
    putPart(m_workbookPart, serialize(doc));
    return true;
}

bool Save::writeFile()
{
    const QFileInfo target(m_path);
    const QByteArray dir = QFile::encodeName(target.absolutePath());
    const QByteArray path = QFile::encodeName(m_path);
    // The file being replaced passes on its permissions (and owner). A new file gets the mode
    // that any file created in that folder gets: the kernel works it out from the umask (or
    // the folder's default ACL) when the temporary file is created, so the process-wide umask,
    // which other threads share, is never changed to read it.
    struct stat st;
    const bool replacing = !m_linkAtTarget && ::stat(path.constData(), &st) == 0;
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = dir + "/." + QFile::encodeName(target.fileName()) + '.' +
               QByteArray::number(QRandomGenerator::global()->generate() | 0x80000000u, 36);
        fd = ::open(temp.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC,
                    replacing ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0)
        return fail(QStringLiteral("no file can be created in \"%1\" (%2)")
                        .arg(target.absolutePath(), QString::fromLocal8Bit(std::strerror(errno))));
    mode_t mode = replacing ? st.st_mode & 07777 : 0666;
    struct stat made;
    if (!replacing && ::fstat(fd, &made) == 0) mode = made.st_mode & 07777;
    ::close(fd);
    auto cleanup = [&](const QString &reason) {
        ::unlink(temp.constData());
        return fail(reason);
    };

    int err = 0;
    zip_t *out = zip_open(temp.constData(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (!out) return cleanup(QStringLiteral("the temporary file cannot be written"));
    std::vector<std::unique_ptr<StreamSource>> streams;
    for (Part &p : m_parts) {
        if (p.kind == Part::Drop) continue;
        zip_source_t *src = nullptr;
        if (p.kind == Part::Copy)
            src = zip_source_zip(out, m_source, p.sourceIndex, 0, 0, -1);
        else if (p.kind == Part::Bytes)
            src = zip_source_buffer(out, p.bytes.constData(), zip_uint64_t(p.bytes.size()), 0);
        else {
            auto s = std::make_unique<StreamSource>(p.makeStream, p.what);
            src = zip_source_function(out, streamCallback, s.get());
            streams.push_back(std::move(s));
        }
        zip_int64_t idx =
            src ? zip_file_add(out, p.name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (idx < 0) {
            if (src) zip_source_free(src);
            QString why = QString::fromUtf8(zip_strerror(out));
            zip_discard(out);
            return cleanup(QStringLiteral("the part %1 cannot be stored (%2)").arg(p.name, why));
        }
        if (p.kind == Part::Stream)
            zip_set_file_compression(out, zip_uint64_t(idx), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(out) != 0) {
        QString why = QString::fromUtf8(zip_strerror(out));
        zip_discard(out);
        for (const auto &stream : streams)
            if (const QString failure = stream->failure(); !failure.isEmpty())
                return cleanup(failure);
        return cleanup(QStringLiteral("writing failed (%1)").arg(why));
    }

    fd = ::open(temp.constData(), O_RDONLY);
    if (fd < 0 || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return cleanup(QStringLiteral("the written file cannot be flushed to disk (%1)").arg(why));
    }
    // And its owner, when allowed to (saving as another user's administrator).
    if (replacing && ::fchown(fd, st.st_uid, st.st_gid) != 0)
        errno = 0; // not allowed: the file stays ours, which loses nothing
    ::close(fd);
    if (::rename(temp.constData(), path.constData()) != 0)
        return cleanup(QStringLiteral("the file cannot be replaced (%1)")
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
    int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace

bool XlsxWriter::save(const WorkbookData &data, const QString &path, QString *error, Link link)
{
    Save save(data, path, link);
    return save.run(error);
}

} // namespace excel
