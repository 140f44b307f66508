#include "platform/excel/XlsxWorkbookPart.h"

#include "platform/excel/PackageRelationships.h"
#include "platform/excel/RowMoves.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxXml.h"

#include <QHash>
#include <QRegularExpression>

#include <pugixml.hpp>

#include <cstring>
#include <sstream>

namespace excel {

namespace {

const char *const relNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

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

} // namespace

bool XlsxWorkbookPart::rewrite(const QByteArray &xml, const WorkbookData &data,
                               const std::vector<QString> &sheetParts,
                               const std::vector<QString> &newRelIds,
                               const PackageRelationships &rels, bool newPackage, QByteArray *out,
                               QString *error)
{
    auto failed = [&](const QString &why) {
        if (error) *error = why;
        return false;
    };

    pugi::xml_document doc;
    QString why;
    if (!XlsxXml::parse(
            doc, xml, pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single,
            XlsxLimits().maxXmlDepth, &why))
        return failed(QStringLiteral("is malformed (%1)").arg(why));
    XlsxXml::declareUtf8(doc);
    pugi::xml_node root = doc.document_element();
    const QByteArray p = prefixOf(root);
    pugi::xml_node sheets = child(root, "sheets");
    if (!sheets) return failed(QStringLiteral("lists no sheets"));

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
    for (size_t i = 0; i < sheetParts.size(); ++i)
        storeByPart.insert(sheetParts[i].toCaseFolded(), i);
    struct Entry
    {
        int oldPos;     // -1 for a new sheet
        int storeIndex; // -1 for a sheet the store does not hold
    };
    std::vector<Entry> entries;
    std::vector<bool> placed(data.sheets.size(), false);
    size_t nextStore = 0;
    unsigned maxSheetId = 0;
    std::vector<int> storeOldPos(data.sheets.size(), -1);
    for (size_t k = 0; k < old.size(); ++k) {
        maxSheetId = std::max(maxSheetId, old[k].attribute("sheetId").as_uint());
        const auto rel = rels.byId(relIdOf(old[k]));
        const QString target = rel ? rel->target : QString();
        auto it = storeByPart.constFind(target.toCaseFolded());
        if (it != storeByPart.constEnd()) storeOldPos[it.value()] = int(k);
    }
    for (size_t k = 0; k < old.size(); ++k) {
        const auto rel = rels.byId(relIdOf(old[k]));
        const QString kind = rel ? rel->kind : QString();
        if (storeByPart.contains(rel ? rel->target.toCaseFolded() : QString())) {
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
                .set_value(newRelIds[size_t(e.storeIndex)].toUtf8().constData());
        }
        if (e.storeIndex >= 0) {
            const SheetData &sheet = *data.sheets[size_t(e.storeIndex)];
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
        // Names into rows that were inserted or deleted follow them, as cell formulas do.
        for (const auto &sheet : data.sheets) {
            const RowMoves moves(sheet->rowMoves);
            if (moves.empty()) continue;
            for (pugi::xml_node n = names.first_child(); n; n = n.next_sibling()) {
                if (n.type() != pugi::node_element) continue;
                const QString text = QString::fromUtf8(n.child_value());
                const QString moved =
                    moves.formula(text, FormulaText::Scope::OtherSheet, sheet->name);
                if (moved != text) n.text().set(moved.toUtf8().constData());
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

    if (newPackage && data.date1904) {
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
    std::ostringstream stream;
    doc.save(stream, "", pugi::format_raw, pugi::encoding_utf8);
    const std::string s = stream.str();
    *out = QByteArray(s.data(), qsizetype(s.size()));
    return true;
}

} // namespace excel
