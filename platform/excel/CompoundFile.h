#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace excel {

// A read-only view of a compound file (the container of legacy Office documents): header, FAT,
// DIFAT, mini stream and directory. Every sector chain is checked for loops and for sectors
// outside the file, so a damaged file gives an error message instead of a hang or a crash.
// Messages do not name the file; the caller adds that.
class CompoundFile
{
public:
    // Files above this size are refused before anything is read.
    static constexpr qint64 kMaxSize = qint64(1) << 30;

    // Parses the header, the allocation tables and the directory of `bytes` (kept by reference:
    // it must outlive this object).
    bool open(const QByteArray &bytes, QString *error);

    // The names of the streams directly under the root storage, in directory order.
    QStringList streamNames() const;
    bool hasStream(const QString &name) const;
    // Reads the root-level stream `name` (compared without regard to case) whole.
    bool readStream(const QString &name, QByteArray *out, QString *error) const;

    // True when `bytes` starts with the compound file signature.
    static bool hasSignature(const QByteArray &bytes);

private:
    struct Entry
    {
        QString name;
        std::uint8_t type = 0; // 1 storage, 2 stream, 5 root
        std::uint32_t left = 0, right = 0, child = 0;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    bool readChain(std::uint32_t start, const std::vector<std::uint32_t> &table,
                   std::uint32_t limit, std::vector<std::uint32_t> *chain, const QString &what,
                   QString *error) const;
    bool readSectors(const std::vector<std::uint32_t> &chain, QByteArray *out, const QString &what,
                     QString *error) const;
    bool collectRootChildren(QString *error);
    int findStream(const QString &name) const;

    const QByteArray *m_bytes = nullptr;
    int m_sectorShift = 9;
    int m_miniSectorShift = 6;
    std::uint32_t m_miniCutoff = 4096;
    std::uint32_t m_sectorCount = 0; // whole or partial sectors present in the file
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::vector<Entry> m_entries;
    std::vector<int> m_rootChildren; // indexes into m_entries
    QByteArray m_miniStream;
};

} // namespace excel
