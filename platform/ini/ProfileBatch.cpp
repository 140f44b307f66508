#include "platform/ini/ProfileBatch.h"

namespace win {

namespace {

thread_local ProfileBatch *t_innermost = nullptr;

} // namespace

ProfileBatch::ProfileBatch(const QString &path) : m_path(path), m_outer(t_innermost)
{
    t_innermost = this;
}

ProfileBatch::~ProfileBatch()
{
    detach();
}

void ProfileBatch::detach()
{
    if (!m_attached) return;
    m_attached = false;
    // Batches end in the reverse order of their start, except when one commits early: unlink
    // it wherever it stands.
    ProfileBatch **link = &t_innermost;
    while (*link && *link != this)
        link = &(*link)->m_outer;
    if (*link) *link = m_outer;
}

ProfileBatch *ProfileBatch::active(const QString &path)
{
    for (ProfileBatch *b = t_innermost; b; b = b->m_outer)
        if (b->m_path == path) return b;
    return nullptr;
}

const ProfileFile &ProfileBatch::file()
{
    if (!m_loaded) {
        m_file = ProfileFile::load(m_path);
        m_loaded = true;
    }
    return m_file;
}

bool ProfileBatch::apply(const ProfileFile::Change &change)
{
    file();
    if (!m_file.usable()) return false;
    if (change(m_file)) m_file.m_state = ProfileFile::State::Ok;
    m_changes.push_back(change);
    return true;
}

void ProfileBatch::copyFrom(const QString &source)
{
    apply([source](ProfileFile &f) {
        ProfileFile from = ProfileFile::load(source);
        if (from.state() == ProfileFile::State::Ok)
            f.takeLinesOf(from);
        else
            f.refuse(source + QStringLiteral(": ") +
                     (from.usable() ? QStringLiteral("the file does not exist") : from.problem()));
        return true;
    });
}

bool ProfileBatch::commit()
{
    detach();
    if (m_path.isEmpty()) {
        m_error = QStringLiteral("the file has no name");
        return false;
    }
    if (m_changes.empty()) return true;
    return ProfileFile::update(
        m_path,
        [this](ProfileFile &f) {
            bool changed = false;
            for (const ProfileFile::Change &change : m_changes)
                changed |= change(f);
            return changed;
        },
        &m_error);
}

} // namespace win
