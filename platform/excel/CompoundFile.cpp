#include "platform/excel/CompoundFile.h"

#include <QtEndian>
#include <cstring>

namespace excel {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
// Directory entries beyond this are not looked at: a real workbook holds a handful.
constexpr int kMaxEntries = 1 << 16;

const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

std::uint16_t u16(const char *p)
{
    return qFromLittleEndian<std::uint16_t>(p);
}

std::uint32_t u32(const char *p)
{
    return qFromLittleEndian<std::uint32_t>(p);
}

bool fail(QString *error, const QString &message)
{
    if (error) *error = message;
    return false;
}

} // namespace

bool CompoundFile::hasSignature(const QByteArray &bytes)
{
    return bytes.size() >= 8 && std::memcmp(bytes.constData(), kSignature, 8) == 0;
}

bool CompoundFile::open(const QByteArray &bytes, QString *error)
{
    m_bytes = &bytes;
    m_fat.clear();
    m_miniFat.clear();
    m_entries.clear();
    m_rootChildren.clear();
    m_miniStream.clear();

    if (bytes.size() > kMaxSize)
        return fail(error, QStringLiteral("the file is too large (%1 bytes)").arg(bytes.size()));
    if (bytes.size() < 512)
        return fail(error, QStringLiteral("the file is too short to be a compound file (%1 bytes)")
                               .arg(bytes.size()));
    if (!hasSignature(bytes))
        return fail(error, QStringLiteral("the file is not a compound file (wrong signature)"));
    const char *h = bytes.constData();
    if (u16(h + 28) != 0xFFFE)
        return fail(error, QStringLiteral("the compound file header has a wrong byte order mark"));
    m_sectorShift = u16(h + 30);
    m_miniSectorShift = u16(h + 32);
    if (m_sectorShift != 9 && m_sectorShift != 12)
        return fail(error, QStringLiteral("the compound file has an unsupported sector size "
                                          "(shift %1; 9 or 12 expected)")
                               .arg(m_sectorShift));
    if (m_miniSectorShift != 6)
        return fail(error, QStringLiteral("the compound file has an unsupported mini sector size "
                                          "(shift %1; 6 expected)")
                               .arg(m_miniSectorShift));
    const qint64 sectorSize = qint64(1) << m_sectorShift;
    if (bytes.size() < sectorSize)
        return fail(
            error,
            QStringLiteral("the file is shorter than its header (%1 bytes)").arg(bytes.size()));
    m_sectorCount = std::uint32_t((bytes.size() - sectorSize + sectorSize - 1) / sectorSize);
    m_miniCutoff = u32(h + 56);

    // The FAT's own sectors: 109 listed in the header, the rest in the DIFAT chain.
    const std::uint32_t fatSectors = u32(h + 44);
    if (fatSectors > m_sectorCount)
        return fail(error, QStringLiteral("the header claims %1 FAT sectors but the file holds "
                                          "only %2 sectors")
                               .arg(fatSectors)
                               .arg(m_sectorCount));
    std::vector<std::uint32_t> fatLocations;
    fatLocations.reserve(fatSectors);
    for (int i = 0; i < 109 && fatLocations.size() < fatSectors; ++i)
        fatLocations.push_back(u32(h + 76 + 4 * i));
    std::uint32_t difat = u32(h + 68);
    const std::uint32_t perDifat = std::uint32_t(sectorSize / 4) - 1;
    std::vector<bool> seenDifat(m_sectorCount, false);
    while (fatLocations.size() < fatSectors) {
        if (difat >= m_sectorCount)
            return fail(error, QStringLiteral("the DIFAT chain points at sector %1, outside the "
                                              "file (%2 sectors)")
                                   .arg(difat)
                                   .arg(m_sectorCount));
        if (seenDifat[difat])
            return fail(error, QStringLiteral("the DIFAT chain loops at sector %1").arg(difat));
        seenDifat[difat] = true;
        const qint64 offset = (qint64(difat) + 1) << m_sectorShift;
        if (offset + sectorSize > bytes.size())
            return fail(error, QStringLiteral("DIFAT sector %1 is cut short").arg(difat));
        const char *s = h + offset;
        for (std::uint32_t i = 0; i < perDifat && fatLocations.size() < fatSectors; ++i)
            fatLocations.push_back(u32(s + 4 * i));
        difat = u32(s + 4 * perDifat);
    }
    QByteArray fatBytes;
    if (!readSectors(fatLocations, &fatBytes, QStringLiteral("the FAT"), error)) return false;
    m_fat.resize(std::size_t(fatBytes.size() / 4));
    for (std::size_t i = 0; i < m_fat.size(); ++i)
        m_fat[i] = u32(fatBytes.constData() + 4 * i);

    // Directory.
    std::vector<std::uint32_t> chain;
    if (!readChain(u32(h + 48), m_fat, m_sectorCount, &chain, QStringLiteral("the directory"),
                   error))
        return false;
    QByteArray dir;
    if (!readSectors(chain, &dir, QStringLiteral("the directory"), error)) return false;
    const int entryCount = std::min<int>(dir.size() / 128, kMaxEntries);
    if (entryCount == 0)
        return fail(error, QStringLiteral("the compound file has an empty directory"));
    m_entries.resize(std::size_t(entryCount));
    for (int i = 0; i < entryCount; ++i) {
        const char *e = dir.constData() + 128 * i;
        Entry &entry = m_entries[std::size_t(i)];
        const int nameBytes = std::min<int>(u16(e + 64), 64);
        const int chars = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
        QString name(chars, Qt::Uninitialized);
        for (int c = 0; c < chars; ++c)
            name[c] = QChar(u16(e + 2 * c));
        entry.name = name;
        entry.type = std::uint8_t(e[66]);
        entry.left = u32(e + 68);
        entry.right = u32(e + 72);
        entry.child = u32(e + 76);
        entry.start = u32(e + 116);
        entry.size = qFromLittleEndian<std::uint64_t>(e + 120);
        // Version 3 files may leave garbage in the high half of the size.
        if (m_sectorShift == 9) entry.size &= 0xFFFFFFFFu;
    }
    if (m_entries[0].type != 5)
        return fail(error, QStringLiteral("the compound file's first directory entry is not the "
                                          "root storage"));

    // Mini FAT and mini stream, used by streams below the cutoff size.
    if (!readChain(u32(h + 60), m_fat, m_sectorCount, &chain, QStringLiteral("the mini FAT"),
                   error))
        return false;
    QByteArray miniFatBytes;
    if (!readSectors(chain, &miniFatBytes, QStringLiteral("the mini FAT"), error)) return false;
    m_miniFat.resize(std::size_t(miniFatBytes.size() / 4));
    for (std::size_t i = 0; i < m_miniFat.size(); ++i)
        m_miniFat[i] = u32(miniFatBytes.constData() + 4 * i);
    const Entry &root = m_entries[0];
    if (root.size > 0) {
        if (root.size > std::uint64_t(bytes.size()))
            return fail(error, QStringLiteral("the mini stream claims %1 bytes, more than the file")
                                   .arg(root.size));
        if (!readChain(root.start, m_fat, m_sectorCount, &chain, QStringLiteral("the mini stream"),
                       error) ||
            !readSectors(chain, &m_miniStream, QStringLiteral("the mini stream"), error))
            return false;
        if (std::uint64_t(m_miniStream.size()) < root.size)
            return fail(error, QStringLiteral("the mini stream is cut short (%1 of %2 bytes)")
                                   .arg(m_miniStream.size())
                                   .arg(root.size));
        m_miniStream.truncate(qsizetype(root.size));
    }
    return collectRootChildren(error);
}

bool CompoundFile::readChain(std::uint32_t start, const std::vector<std::uint32_t> &table,
                             std::uint32_t limit, std::vector<std::uint32_t> *chain,
                             const QString &what, QString *error) const
{
    chain->clear();
    if (start == kEndOfChain || start == kFreeSector) return true;
    const std::uint32_t bound = std::min<std::uint32_t>(limit, std::uint32_t(table.size()));
    std::vector<bool> seen(bound, false);
    std::uint32_t sector = start;
    while (sector != kEndOfChain) {
        if (sector > kMaxRegularSector || sector >= bound)
            return fail(error, QStringLiteral("the sector chain of %1 points at sector %2, "
                                              "outside the file (%3 sectors)")
                                   .arg(what)
                                   .arg(sector)
                                   .arg(bound));
        if (seen[sector])
            return fail(
                error,
                QStringLiteral("the sector chain of %1 loops at sector %2").arg(what).arg(sector));
        seen[sector] = true;
        chain->push_back(sector);
        sector = table[sector];
    }
    return true;
}

bool CompoundFile::readSectors(const std::vector<std::uint32_t> &chain, QByteArray *out,
                               const QString &what, QString *error) const
{
    const qint64 sectorSize = qint64(1) << m_sectorShift;
    out->clear();
    if (qint64(chain.size()) * sectorSize > kMaxSize)
        return fail(error, QStringLiteral("%1 is too large").arg(what));
    out->reserve(qsizetype(chain.size() * sectorSize));
    for (std::uint32_t sector : chain) {
        if (sector >= m_sectorCount)
            return fail(error, QStringLiteral("%1 uses sector %2, outside the file (%3 sectors)")
                                   .arg(what)
                                   .arg(sector)
                                   .arg(m_sectorCount));
        const qint64 offset = (qint64(sector) + 1) << m_sectorShift;
        const qint64 available = std::min(sectorSize, m_bytes->size() - offset);
        out->append(m_bytes->constData() + offset, qsizetype(available));
        // A last sector cut short by the writer reads as zeros.
        if (available < sectorSize) out->append(qsizetype(sectorSize - available), '\0');
    }
    return true;
}

bool CompoundFile::collectRootChildren(QString *error)
{
    std::vector<bool> seen(m_entries.size(), false);
    std::vector<std::uint32_t> stack;
    if (m_entries[0].child != kNoStream) stack.push_back(m_entries[0].child);
    seen[0] = true;
    while (!stack.empty()) {
        const std::uint32_t index = stack.back();
        stack.pop_back();
        if (index >= m_entries.size())
            return fail(error, QStringLiteral("the directory refers to entry %1 of %2")
                                   .arg(index)
                                   .arg(m_entries.size()));
        if (seen[index])
            return fail(error, QStringLiteral("the directory tree loops at entry %1").arg(index));
        seen[index] = true;
        m_rootChildren.push_back(int(index));
        const Entry &e = m_entries[index];
        if (e.right != kNoStream) stack.push_back(e.right);
        if (e.left != kNoStream) stack.push_back(e.left);
    }
    return true;
}

int CompoundFile::findStream(const QString &name) const
{
    for (int index : m_rootChildren) {
        const Entry &e = m_entries[std::size_t(index)];
        if (e.type == 2 && e.name.compare(name, Qt::CaseInsensitive) == 0) return index;
    }
    return -1;
}

QStringList CompoundFile::streamNames() const
{
    QStringList names;
    for (int index : m_rootChildren) {
        const Entry &e = m_entries[std::size_t(index)];
        if (e.type == 2) names << e.name;
    }
    return names;
}

bool CompoundFile::hasStream(const QString &name) const
{
    return findStream(name) >= 0;
}

bool CompoundFile::readStream(const QString &name, QByteArray *out, QString *error) const
{
    out->clear();
    const int index = findStream(name);
    if (index < 0)
        return fail(error, QStringLiteral("the compound file has no stream \"%1\"").arg(name));
    const Entry &e = m_entries[std::size_t(index)];
    const QString what = QStringLiteral("stream \"%1\"").arg(e.name);
    if (e.size > std::uint64_t(m_bytes->size()))
        return fail(
            error,
            QStringLiteral("%1 claims %2 bytes, more than the whole file").arg(what).arg(e.size));
    std::vector<std::uint32_t> chain;
    if (e.size < m_miniCutoff) {
        const std::uint32_t miniSectors = std::uint32_t(m_miniStream.size() >> m_miniSectorShift);
        if (!readChain(e.start, m_miniFat, miniSectors, &chain, what, error)) return false;
        const qsizetype miniSize = qsizetype(1) << m_miniSectorShift;
        out->reserve(qsizetype(chain.size()) * miniSize);
        for (std::uint32_t sector : chain)
            out->append(m_miniStream.constData() + qsizetype(sector) * miniSize, miniSize);
    } else {
        if (!readChain(e.start, m_fat, m_sectorCount, &chain, what, error) ||
            !readSectors(chain, out, what, error))
            return false;
    }
    if (std::uint64_t(out->size()) < e.size)
        return fail(error, QStringLiteral("%1 is cut short: its sectors hold %2 of its %3 bytes")
                               .arg(what)
                               .arg(out->size())
                               .arg(e.size));
    out->truncate(qsizetype(e.size));
    return true;
}

} // namespace excel
