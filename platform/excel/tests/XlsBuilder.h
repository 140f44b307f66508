#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

// Builds BIFF8 records and compound files byte by byte, for tests of record layouts that the
// writers at hand never produce, and for the read benchmark.
class XlsBuilder
{
public:
    static QByteArray u16(std::uint16_t v);
    static QByteArray u32(std::uint32_t v);
    static QByteArray f64(double v);
    static QByteArray record(std::uint16_t type, const QByteArray &body);
    static QByteArray bof(std::uint16_t kind, std::uint16_t version = 0x0600);
    // Row, column and XF index: the start of every cell record.
    static QByteArray cell(int row, int column, int xf = 0);
    // XLUnicodeString (16-bit count) and ShortXLUnicodeString (8-bit count), compressed when
    // every character fits in one byte.
    static QByteArray text(const QString &s);
    static QByteArray shortText(const QString &s);
    static QByteArray chars(const QString &s, bool wide);

    // A Workbook stream: the globals' BOF, BOUNDSHEET records (name, kind, state), `globals`,
    // EOF, then each sheet's records between its BOF and EOF.
    struct Sheet
    {
        QString name;
        QByteArray records;
        int kind = 0;  // 0 worksheet, 2 chart
        int state = 0; // 0 visible, 1 hidden, 2 very hidden
    };
    static QByteArray workbook(const QByteArray &globals, const std::vector<Sheet> &sheets);
    // A version-4 compound file (4096-byte sectors) holding one stream; the stream is padded to
    // the mini stream cutoff so that it lives in regular sectors.
    static QByteArray container(QByteArray stream,
                                const QString &streamName = QStringLiteral("Workbook"));
};
