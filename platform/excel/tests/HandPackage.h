#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// A small .xlsx package written by hand in the test, entry by entry (stored, not deflated), so
// that a test can give a part exactly the bytes it needs, even ones no writer produces: damaged
// parts, two entries of one name, document type declarations.
namespace xlsxtest {

class HandPackage
{
public:
    // A workbook of worksheets named `names`, sheet i in xl/worksheets/sheet<i+1>.xml with
    // the given XML; shared strings, styles and comments are added with put().
    static HandPackage workbook(const QStringList &names, const QStringList &sheets,
                                const QByteArray &workbookExtra = QByteArray())
    {
        HandPackage p;
        p.put("[Content_Types].xml",
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/xl/workbook.xml\" "
              "ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>");
        for (int i = 0; i < names.size(); ++i)
            p.override("/xl/worksheets/sheet" + QByteArray::number(i + 1) + ".xml",
                       "worksheet+xml");
        p.put("_rels/.rels", rels({{"officeDocument", "xl/workbook.xml"}}));
        QByteArray list;
        std::vector<std::pair<QByteArray, QByteArray>> targets;
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray n = QByteArray::number(i + 1);
            list += "<sheet name=\"" + names[i].toUtf8() + "\" sheetId=\"" + n + "\" r:id=\"rId" +
                    n + "\"/>";
            targets.emplace_back("worksheet", "worksheets/sheet" + n + ".xml");
            p.put("xl/worksheets/sheet" + n + ".xml", sheets.value(i).toUtf8());
        }
        p.put("xl/workbook.xml",
              "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">" +
                  workbookExtra + "<sheets>" + list + "</sheets></workbook>");
        p.m_workbookRels = targets;
        p.put("xl/_rels/workbook.xml.rels", rels(targets));
        return p;
    }

    // A relationships part; each pair is (type's last word, target).
    static QByteArray rels(const std::vector<std::pair<QByteArray, QByteArray>> &targets)
    {
        QByteArray out = "<Relationships "
                         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
        int id = 1;
        for (const auto &[type, target] : targets)
            out += "<Relationship Id=\"rId" + QByteArray::number(id++) +
                   "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                   "relationships/" +
                   type + "\" Target=\"" + target + "\"/>";
        return out + "</Relationships>";
    }

    // Adds a part the workbook names (sharedStrings, styles, theme) at xl/<target>.
    HandPackage &workbookPart(const QByteArray &type, const QByteArray &target,
                              const QByteArray &xml)
    {
        m_workbookRels.emplace_back(type, target);
        put("xl/_rels/workbook.xml.rels", rels(m_workbookRels));
        if (type != "theme") override("/xl/" + target, type + "+xml");
        return put("xl/" + target, xml);
    }

    // Declares a part's content type ("worksheet+xml", "sharedStrings+xml", ...).
    HandPackage & override(const QByteArray &partName, const QByteArray &kind)
    {
        for (auto &e : m_entries)
            if (e.first == QLatin1String("[Content_Types].xml"))
                e.second.replace("</Types>",
                                 "<Override PartName=\"" + partName +
                                     "\" ContentType=\"application/"
                                     "vnd.openxmlformats-officedocument.spreadsheetml." +
                                     kind + "\"/></Types>");
        return *this;
    }

    // Replaces the entry of that name, or adds it.
    HandPackage &put(const QString &name, const QByteArray &bytes)
    {
        for (auto &e : m_entries)
            if (e.first == name) {
                e.second = bytes;
                return *this;
            }
        m_entries.emplace_back(name, bytes);
        return *this;
    }
    // The bytes of an entry ("" when there is none).
    QByteArray entry(const QString &name) const
    {
        for (const auto &e : m_entries)
            if (e.first == name) return e.second;
        return QByteArray();
    }
    // Adds an entry even when one of that name exists.
    HandPackage &append(const QString &name, const QByteArray &bytes)
    {
        m_entries.emplace_back(name, bytes);
        return *this;
    }

    QByteArray zip() const
    {
        QByteArray out, directory;
        for (const auto &[name, data] : m_entries) {
            const QByteArray n = name.toUtf8();
            const std::uint32_t crc = crc32(data);
            const qsizetype offset = out.size();
            QByteArray common;
            le16(common, 20);
            le16(common, 0x0800); // names in UTF-8
            le16(common, 0);      // stored
            le16(common, 0);
            le16(common, 0x21); // 1980-01-01
            le32(common, crc);
            le32(common, std::uint32_t(data.size()));
            le32(common, std::uint32_t(data.size()));
            le16(common, std::uint16_t(n.size()));
            le16(common, 0);
            out += QByteArray("PK\x03\x04", 4) + common + n + data;
            directory += QByteArray("PK\x01\x02", 4);
            le16(directory, 20);
            directory += common;
            le16(directory, 0);
            le16(directory, 0);
            le16(directory, 0);
            le32(directory, 0);
            le32(directory, std::uint32_t(offset));
            directory += n;
        }
        const qsizetype at = out.size();
        out += directory;
        out += QByteArray("PK\x05\x06", 4);
        le16(out, 0);
        le16(out, 0);
        le16(out, std::uint16_t(m_entries.size()));
        le16(out, std::uint16_t(m_entries.size()));
        le32(out, std::uint32_t(directory.size()));
        le32(out, std::uint32_t(at));
        le16(out, 0);
        return out;
    }

private:
    static void le16(QByteArray &out, std::uint16_t v)
    {
        out += char(v & 0xFF);
        out += char(v >> 8);
    }
    static void le32(QByteArray &out, std::uint32_t v)
    {
        le16(out, std::uint16_t(v & 0xFFFF));
        le16(out, std::uint16_t(v >> 16));
    }
    static std::uint32_t crc32(const QByteArray &data)
    {
        static const std::array<std::uint32_t, 256> table = [] {
            std::array<std::uint32_t, 256> t{};
            for (std::uint32_t i = 0; i < 256; ++i) {
                std::uint32_t c = i;
                for (int k = 0; k < 8; ++k)
                    c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[i] = c;
            }
            return t;
        }();
        std::uint32_t c = 0xFFFFFFFFu;
        for (char ch : data)
            c = table[(c ^ std::uint8_t(ch)) & 0xFF] ^ (c >> 8);
        return c ^ 0xFFFFFFFFu;
    }

    std::vector<std::pair<QString, QByteArray>> m_entries;
    std::vector<std::pair<QByteArray, QByteArray>> m_workbookRels;
};

} // namespace xlsxtest
