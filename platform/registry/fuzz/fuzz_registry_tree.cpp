// Feeds arbitrary bytes to the registry store's text parser. What parses must write back to a
// text that parses again into the same tree, and writes the same text a second time. A store
// with bytes that are not UTF-8 says so (the store refuses to write it back); what is written
// is UTF-8.
#include "platform/registry/RegistryTree.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace win;

namespace {

bool sameKey(const RegistryKey &a, const RegistryKey &b)
{
    if (a.name != b.name || a.keyClass != b.keyClass || a.readOnly != b.readOnly ||
        a.subkeys.size() != b.subkeys.size() || a.values.size() != b.values.size())
        return false;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        const RegistryValue &x = a.values[i];
        const RegistryValue &y = b.values[i];
        if (x.name != y.name || x.type != y.type || x.text != y.text || x.number != y.number)
            return false;
    }
    for (std::size_t i = 0; i < a.subkeys.size(); ++i)
        if (!sameKey(*a.subkeys[i], *b.subkeys[i])) return false;
    return true;
}

[[noreturn]] void fault(const char *what, const QString &detail = QString())
{
    fprintf(stderr, "invariant broken: %s %s\n", what, qPrintable(detail));
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    RegistryTree first;
    QString error;
    if (!first.parse(bytes, QStringLiteral("fuzz.reg"), &error)) {
        if (!error.startsWith(QLatin1String("fuzz.reg:"))) fault("error names no file", error);
        return 0;
    }
    const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
    if (utf8 != (first.undecodableLine() == 0))
        fault("bytes that are not UTF-8 not told", QString::number(first.undecodableLine()));
    const QByteArray written = first.serialize();
    RegistryTree second;
    if (!second.parse(written, QStringLiteral("written.reg"), &error))
        fault("written text does not parse", error);
    for (int i = 0; i < RegistryTree::RootCount; ++i)
        if (!sameKey(first.root(i), second.root(i))) fault("tree changed on a round trip");
    if (second.serialize() != written) fault("second write differs");
    if (second.undecodableLine() != 0) fault("the written text is not UTF-8");
    return 0;
}
