#include "platform/text/AnsiText.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <bitset>
#include <memory>
#include <mutex>

namespace {

// One bit per BMP code point: set when CP936 encodes it in two bytes. Built once, lazily.
const std::bitset<65536> &doubleByteTable()
{
    static std::unique_ptr<std::bitset<65536>> table;
    static std::once_flag once;
    std::call_once(once, [] {
        table = std::make_unique<std::bitset<65536>>();
        // GB18030 encodes every code point; its two-byte ones are exactly CP936's double-byte
        // set, and it never enters the error state that an unmappable character would leave.
        QStringEncoder gbk("GB18030");
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000) continue;
            const char16_t unit = char16_t(c);
            QByteArray b = gbk.encode(QStringView(&unit, 1));
            if (b.size() == 2) table->set(c);
        }
    });
    return *table;
}

} // namespace

int AnsiText::charByteLength(char32_t ch)
{
    if (ch < 0x80 || ch > 0xFFFF) return 1;
    return doubleByteTable().test(ch) ? 2 : 1;
}

int AnsiText::byteLength(const QString &text)
{
    int n = 0;
    const auto &table = doubleByteTable();
    for (QChar c : text) {
        char16_t u = c.unicode();
        if (u < 0x80 || QChar::isSurrogate(u)) {
            // A pair outside the BMP counts once, for its high half.
            n += QChar::isLowSurrogate(u) ? 0 : 1;
            continue;
        }
        n += table.test(u) ? 2 : 1;
    }
    return n;
}

bool AnsiText::isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = dec.decode(bytes);
    return !dec.hasError();
}

namespace {

// UTF-16 input may hold half a surrogate pair; no UTF-8 text can carry it back.
bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace

QString AnsiText::decode(const QByteArray &bytes, bool *exact)
{
    auto run = [exact](QStringDecoder &&dec, QByteArrayView data) {
        QString text = dec.decode(data);
        if (exact) *exact = !dec.hasError() && !hasLoneSurrogate(text);
        return text;
    };
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return run(
            QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom),
            QByteArrayView(bytes).sliced(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        // The mark is sliced off here; a U+FEFF after it is the text's own character.
        return run(QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                               : QStringDecoder::Utf16BE,
                                  QStringDecoder::Flag::Stateless |
                                      QStringDecoder::Flag::ConvertInitialBom),
                   QByteArrayView(bytes).sliced(2));
    if (isValidUtf8(bytes)) {
        if (exact) *exact = true;
        return QString::fromUtf8(bytes);
    }
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (!gb.isValid()) {
        if (exact) *exact = true;
        return QString::fromLatin1(bytes);
    }
    return run(std::move(gb), bytes);
}
