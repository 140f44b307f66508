#pragma once

#include "platform/ini/ProfileFile.h"

#include <QString>
#include <vector>

namespace win {

// Makes the profile writes and deletes to one file, made by this thread while the batch lives,
// one change of the file: they are kept in memory (reads of the file in the meantime see them)
// and applied together by commit(), under the file's lock, to the file as it is then. Other
// writers, in this process or another, see all of them or none, and a failed commit leaves the
// file as it was. A batch dropped without commit() writes nothing. Batches on different files
// may be nested.
class ProfileBatch
{
public:
    explicit ProfileBatch(const QString &path);
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch &) = delete;
    ProfileBatch &operator=(const ProfileBatch &) = delete;

    // Writes the changes; false (with the reason in errorString) when the file cannot be read,
    // locked or replaced. The batch ends: later calls go to the file directly.
    bool commit();
    QString errorString() const { return m_error; }

    // Makes the file a copy of another profile file before the batch's other changes.
    void copyFrom(const QString &source);

    // The batch of this thread for the file, or null.
    static ProfileBatch *active(const QString &path);
    // The file as the batch sees it.
    const ProfileFile &file();
    // Applies a change in memory and keeps it for commit(); false when the file is unusable.
    bool apply(const ProfileFile::Change &change);

private:
    void detach();

    QString m_path;
    QString m_error;
    ProfileFile m_file;
    bool m_loaded = false;
    bool m_attached = true;
    std::vector<ProfileFile::Change> m_changes;
    ProfileBatch *m_outer = nullptr;
};

} // namespace win
