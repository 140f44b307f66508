#pragma once

#include "platform/excel/WorkbookData.h"

#include <QString>
#include <memory>
#include <thread>

namespace excel {

// Reads one workbook file on a thread of its own while the caller does other work: two
// workbooks that are compared are independent until the comparison starts, so both can be read
// at once. Workbooks::Open takes what was read for the same path. The thread touches nothing
// but the file and the data it fills; the object waits for it when it ends.
class WorkbookPrefetch
{
public:
    WorkbookPrefetch() = default;
    ~WorkbookPrefetch();
    WorkbookPrefetch(const WorkbookPrefetch &) = delete;
    WorkbookPrefetch &operator=(const WorkbookPrefetch &) = delete;

    // Starts reading the file; a read already started is waited for and dropped first.
    void start(const QString &path);
    // Whether a read of this file (by absolute path) was started and not taken yet.
    bool holds(const QString &path) const;
    // Waits for the read and hands over its result, once: true with *out filled, false with
    // *error naming the file and the reason.
    bool take(std::unique_ptr<WorkbookData> *out, QString *error);

private:
    void wait();

    QString m_path;
    std::thread m_thread;
    std::unique_ptr<WorkbookData> m_data;
    QString m_error;
    bool m_ok = false;
    bool m_pending = false;
};

} // namespace excel
