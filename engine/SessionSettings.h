#pragma once

#include <QString>
#include <memory>

class ClsIni;
class ClsSessionOption;
class SheetListView;
class TSingleSideConfig;

// Everything one session keeps in its project file (".vrk"): each side's workbook, start row,
// key and data columns, the report kinds, the options and the selected sheets. It is the one
// reader and writer of the project file; the session window shows its values and hands its
// edits back before a save or a run, and never touches the file itself.
class SessionSettings
{
public:
    // One side's fields as typed (a workbook name may be relative to the project's folder).
    struct Side
    {
        QString fileName;
        QString startRow = QStringLiteral("1");
        QString keyCol = QStringLiteral("A");
        QString dataCol = QStringLiteral("c,d");
    };

    SessionSettings();
    ~SessionSettings();
    SessionSettings(const SessionSettings &) = delete;
    SessionSettings &operator=(const SessionSettings &) = delete;

    // The options, shared with the comparison core and the option dialogs.
    const std::shared_ptr<ClsSessionOption> &option() const { return m_option; }
    Side &side(bool left) { return left ? m_left : m_right; }
    const Side &side(bool left) const { return left ? m_left : m_right; }
    // The window's sheet lists, whose selection the project stores (not owned).
    void setSheetLists(SheetListView *left, SheetListView *right);

    // The file read and written: the project, or the template that an untitled session reads.
    QString filePath() const;
    void setFilePath(const QString &path);
    // The file's folder with its trailing "/"; "" while there is no path.
    QString folder() const;
    // A workbook or report name as typed, resolved against the project's folder.
    QString resolve(const QString &name) const { return GetAbsolutePath(folder(), name); }

    // Reads the project file; a session without one (untitled, or its file has gone) reads
    // the template instead and stays pointed at it. Every session opens with the report
    // workbook and its three sheets chosen, whatever the file held. False when neither file
    // exists: the fields keep their built-in values.
    bool Read(const QString &templatePath, bool untitled);
    // Writes every key in one replace of the file, or none (a save that fails half-way leaves
    // the old project whole); false with the reason in writeError().
    bool Write();
    QString writeError() const { return m_writeError; }
    // Points the settings at another project file; workbook names relative to the old folder
    // become full paths, so that the project keeps naming the same workbooks.
    void moveTo(const QString &path);
    // Makes the template a copy of the project file, naming its workbooks by full paths (new
    // sessions resolve names against the program's folder) and a relative report folder too
    // (a new session's would lie in the user's report folder), in one replace. A template that
    // is the project itself or read-only is left alone (true). False with the reason in
    // writeError() when the replace failed; the old template is then whole.
    bool WriteTemplate(const QString &templatePath);

    // True when the two paths name one file (on disk, or as paths while one is missing).
    static bool isSameFile(const QString &a, const QString &b);

    // The start row as typed: the number at the start of the text, halves to even; 0 without
    // one ("自动"), which a side stores as its first row.
    static int startRowOf(const QString &text);
    // The sides' fields into the engine's sides before a run: names resolved, column lists
    // trimmed and upper-cased.
    void applyToSides(TSingleSideConfig &left, TSingleSideConfig &right) const;

    // The file name alone when the path lies directly in the folder, else the path. Folders are
    // compared with their case: Linux file names keep it.
    static QString GetRelativeFileName(const QString &folder, const QString &path);
    // A relative path is resolved against the folder, "~" and "~/..." against the user's home; an
    // absolute one (starting with "/") is kept.
    static QString GetAbsolutePath(const QString &folder, const QString &path);

private:
    std::shared_ptr<ClsIni> m_ini;
    std::shared_ptr<ClsSessionOption> m_option;
    Side m_left;
    Side m_right;
    QString m_writeError;
};
