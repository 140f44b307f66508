#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace win {

// One INI file as lines, parsed fresh on every profile call. Lines keep their own text and line
// end so that a write changes only the line it is about and leaves comments, blanks and order
// alone.
class ProfileFile
{
public:
    enum class State { Ok, Missing, Unreadable, TooLarge };

    // Files beyond this size are refused rather than read into memory.
    static constexpr qint64 MaxFileSize = 32 * 1024 * 1024;

    // Reads the file (UTF-8 with or without BOM, else GB18030). A missing file loads empty.
    static ProfileFile load(const QString &path);

    State state() const { return m_state; }
    bool usable() const { return m_state == State::Ok || m_state == State::Missing; }
    // Why the file is not usable, in words for a message; "" when it is.
    QString problem() const;

    // Header line of the first section of that name (compared without regard to case), or -1.
    int findSection(const QString &section) const;
    // First line after the section's entries: the next header, or the end of the file.
    int sectionEnd(int header) const;
    // Line of the section's first entry for that key, or -1.
    int findKey(int header, const QString &key) const;

    // Trimmed value of an entry line (the text after the first "=").
    QString valueAt(int line) const;
    // Section names in file order, each once.
    QStringList sectionNames() const;
    // The section's non-empty, non-comment lines, trimmed, in file order.
    QStringList sectionLines(const QString &section) const;

    // Edits; each returns whether anything changed. A removal takes every entry of the key in
    // the section (every occurrence of the section), so that none shows through afterwards.
    bool setValue(const QString &section, const QString &key, const QString &value);
    bool removeKey(const QString &section, const QString &key);
    bool removeSection(const QString &section);

    // Takes the lines (and byte-order mark) of another file, as a copy of it.
    void takeLinesOf(const ProfileFile &other);
    // Makes the next save fail with the reason.
    void refuse(const QString &why) { m_refusal = why; }

    // Writes the file through a temporary file and a rename; false when any step fails (the old
    // file then stays whole), with the reason in *why. Refuses a read-only file (owner-write bit
    // clear), and a file with bytes its encoding does not decode, which a rewrite would replace
    // by U+FFFD.
    bool save(QString *why = nullptr) const;

    // A change of the file as one step against other writers, in this process or another:
    // holds an exclusive lock on the file's folder, loads the file as it is now, applies the
    // change and, when the change says so, saves. Without the lock two writers would each
    // rewrite what they read and one's keys would be lost. False when the file cannot be
    // loaded, locked or saved; true when the change asked for no save.
    using Change = std::function<bool(ProfileFile &file)>;
    static bool update(const QString &path, const Change &change, QString *why = nullptr);

    // The text of a section or key name as it is compared (blanks trimmed).
    static bool isHeader(const QString &trimmedLine);
    static QString headerName(const QString &trimmedLine);
    // Key of an entry line, or a null text when the line is no entry.
    static QString entryKey(const QString &trimmedLine);

private:
    friend class ProfileBatch;
    struct Line
    {
        QString text;
        QString end; // "\r\n", "\n", "\r" or "" for a last line without one
    };

    void insertLine(int at, const QString &text);
    QString newLineEnd() const;

    QString m_path;
    State m_state = State::Missing;
    QString m_problem; // why the file could not be read
    QString m_refusal; // why it must not be saved
    bool m_bom = false;
    bool m_exact = true; // every byte of the file decoded
    std::vector<Line> m_lines;
};

} // namespace win
