#pragma once

#include <QByteArray>
#include <QString>

// The program's "ANSI code page": widths in CP936 bytes (which match display widths of Chinese
// text), and the decoding of text files that may be written in CP936 or in UTF-8.
class AnsiText
{
public:
    // Bytes the text takes in CP936: ASCII 1, a character CP936 holds 2, anything else 1.
    static int byteLength(const QString &text);
    static int charByteLength(char32_t ch);

    // Decodes a text file: UTF-8 when it has a BOM or is valid UTF-8, else GB18030. *exact, when
    // given, tells whether every byte decoded (false when some became U+FFFD, so that writing
    // the text back would lose them).
    static QString decode(const QByteArray &bytes, bool *exact = nullptr);
    // Text files are written as UTF-8 without a BOM.
    static QByteArray encode(const QString &text) { return text.toUtf8(); }
    static bool isValidUtf8(const QByteArray &bytes);
};
