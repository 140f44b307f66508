#include "platform/excel/WorkbookPrefetch.h"

#include "platform/excel/WorkbookFile.h"

#include <QDir>
#include <QFileInfo>
#include <exception>

namespace excel {

WorkbookPrefetch::~WorkbookPrefetch()
{
    wait();
}

void WorkbookPrefetch::wait()
{
    if (m_thread.joinable()) m_thread.join();
}

void WorkbookPrefetch::start(const QString &path)
{
    wait();
    m_path = QFileInfo(path).absoluteFilePath();
    m_data = std::make_unique<WorkbookData>();
    m_error.clear();
    m_ok = false;
    m_pending = true;
    m_thread = std::thread([this] {
        try {
            m_ok = WorkbookFile::read(m_path, m_data.get(), &m_error);
        } catch (const std::exception &e) {
            // Out of memory, most likely: reported as the open would report it.
            m_ok = false;
            m_error = QStringLiteral("Cannot read \"%1\": %2")
                          .arg(QDir::toNativeSeparators(m_path), QString::fromUtf8(e.what()));
        }
    });
}

bool WorkbookPrefetch::holds(const QString &path) const
{
    return m_pending && QFileInfo(path).absoluteFilePath() == m_path;
}

bool WorkbookPrefetch::take(std::unique_ptr<WorkbookData> *out, QString *error)
{
    wait();
    m_pending = false;
    if (!m_ok) {
        if (error) *error = m_error;
        m_data.reset();
        return false;
    }
    *out = std::move(m_data);
    return true;
}

} // namespace excel
