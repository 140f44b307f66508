// The package layer that the reader and the writer share: part names, relationships and
// content types by one rule.
#include "platform/excel/PackageContentTypes.h"
#include "platform/excel/PackagePath.h"
#include "platform/excel/PackageRelationships.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/HandPackage.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace excel;
using xlsxtest::HandPackage;

TEST(Package, TargetsResolveAsURIReferences)
{
    struct Case
    {
        const char *from, *target, *part;
    };
    const Case cases[] = {
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/workbook.xml", "/xl/styles.xml", "xl/styles.xml"},
        {"xl/worksheets/sheet1.xml", "../comments1.xml", "xl/comments1.xml"},
        {"xl/worksheets/sheet1.xml", "./../drawings/./d.vml", "xl/drawings/d.vml"},
        // ".." never climbs above the root
        {"xl/workbook.xml", "../../../xl/worksheets/sheet2.xml", "xl/worksheets/sheet2.xml"},
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"", "/xl//workbook.xml", "xl/workbook.xml"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(
            PackagePath::resolve(QLatin1String(c.from), QLatin1String(c.target)).toStdString(),
            c.part)
            << c.from << " -> " << c.target;

    // A relative target written for a part resolves back to it.
    for (const char *to : {"xl/worksheets/sheet1.xml", "xl/comments3.xml", "docProps/app.xml",
                           "xl/drawings/vmlDrawing1.vml"})
        for (const char *from : {"xl/workbook.xml", "xl/worksheets/sheet1.xml", ""}) {
            const QString target =
                PackagePath::relativeTarget(QLatin1String(from), QLatin1String(to));
            EXPECT_EQ(PackagePath::resolve(QLatin1String(from), target).toStdString(), to)
                << from << " -> " << target.toStdString();
        }
    EXPECT_EQ(PackagePath::relationshipsOf(QStringLiteral("xl/workbook.xml")).toStdString(),
              "xl/_rels/workbook.xml.rels");
    EXPECT_EQ(PackagePath::relationshipsOf(QString()).toStdString(), "_rels/.rels");
}

TEST(Package, RelationshipsAndContentTypesAreEditedInPlace)
{
    PackageRelationships rels;
    QString error;
    ASSERT_TRUE(rels.load(QStringLiteral("xl/worksheets/sheet1.xml"),
                          "<p:Relationships xmlns:p=\"urn:rels\">"
                          "<p:Relationship Id=\"rId2\" Type=\"x/comments\" Target=\"../c.xml\"/>"
                          "<p:Relationship Id=\"rId1\" Type=\"x/hyperlink\" Target=\"http://a/\" "
                          "TargetMode=\"external\"/></p:Relationships>",
                          64, &error))
        << error.toStdString();
    ASSERT_TRUE(rels.byKind(QStringLiteral("comments")));
    EXPECT_EQ(rels.byKind(QStringLiteral("comments"))->target.toStdString(), "xl/c.xml");
    EXPECT_FALSE(rels.byKind(QStringLiteral("hyperlink"))); // external: no part
    ASSERT_TRUE(rels.byId(QStringLiteral("rId1")));
    EXPECT_EQ(rels.byId(QStringLiteral("rId1"))->target.toStdString(), "http://a/");
    const QString id = rels.add(QStringLiteral("vmlDrawing"), QStringLiteral("xl/drawings/v1.vml"));
    EXPECT_EQ(id.toStdString(), "rId3");
    rels.remove(QStringLiteral("rId2"));
    EXPECT_TRUE(rels.changed());
    const QByteArray xml = rels.xml();
    EXPECT_TRUE(xml.contains("<p:Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/"
                             "officeDocument/2006/relationships/vmlDrawing\" "
                             "Target=\"../drawings/v1.vml\"/>"))
        << xml.toStdString();
    EXPECT_FALSE(xml.contains("rId2"));

    PackageContentTypes types;
    ASSERT_TRUE(types.load("<Types xmlns=\"urn:ct\"><Override PartName=\"/XL/Workbook.xml\" "
                           "ContentType=\"a\"/></Types>",
                           64, &error));
    EXPECT_EQ(types.overrideOf(QStringLiteral("xl/workbook.xml")).toStdString(), "a");
    types.setOverride(QStringLiteral("xl/workbook.xml"), QStringLiteral("b"));
    types.setOverride(QStringLiteral("xl/styles.xml"), QStringLiteral("s"));
    types.ensureDefault(QStringLiteral("vml"), QStringLiteral("v"));
    types.ensureDefault(QStringLiteral("VML"), QStringLiteral("w"));
    types.removeOverride(QStringLiteral("XL/STYLES.XML"));
    EXPECT_EQ(types.xml().toStdString(),
              "<?xml version=\"1.0\"?><Types xmlns=\"urn:ct\"><Default Extension=\"vml\" "
              "ContentType=\"v\"/>"
              "<Override PartName=\"/XL/Workbook.xml\" ContentType=\"b\"/></Types>");
}

// Reader and writer follow a relationship by the same rule: a target with more ".." than its
// folder has is read, and the save of the workbook finds the same part.
TEST(Package, ReaderAndWriterFindTheSameParts)
{
    QTemporaryDir dir;
    HandPackage p = HandPackage::workbook(
        {QStringLiteral("S")},
        {QStringLiteral("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                        "2006/main\"><sheetData><row r=\"1\"><c r=\"A1\"><v>7</v></c></row>"
                        "</sheetData></worksheet>")});
    p.put(QStringLiteral("xl/_rels/workbook.xml.rels"),
          HandPackage::rels({{"worksheet", "../../xl/./worksheets/sheet1.xml"}}));
    const QString path = dir.filePath(QStringLiteral("climb.xlsx"));
    ASSERT_TRUE(TestFiles::write(path, p.zip()));

    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(path, &wb, &error)) << error.toStdString();
    EXPECT_EQ(wb.sheets[0]->partName.toStdString(), "xl/worksheets/sheet1.xml");
    wb.sheets[0]->rows[0][0].setNumber(8);
    wb.sheets[0]->modified = true;
    ASSERT_TRUE(XlsxWriter::save(wb, path, &error)) << error.toStdString();
    WorkbookData again;
    ASSERT_TRUE(XlsxReader::read(path, &again, &error)) << error.toStdString();
    ASSERT_EQ(again.sheets.size(), 1u);
    EXPECT_EQ(again.sheets[0]->rows[0][0].number(), 8.0);
}
