#pragma once

#include "platform/excel/WorkbookData.h"

#include <QString>
#include <functional>

namespace excel {

// Writes a workbook to an .xlsx/.xlsm file.
//
// A new workbook (no source path, Format::New, or a source file that is gone) is written whole
// from the store. A workbook read from an .xlsx/.xlsm keeps every part and element the store
// does not model: untouched parts are copied byte for byte and only the sheets marked modified
// get new cell data spliced into their original XML.
//
// The save is atomic: the file is written next to the target under a temporary name, flushed
// to disk and renamed over the target, so a failed save leaves the old file whole. Paths ending
// in .xls are refused.
class XlsxWriter
{
public:
    // What a save does with a symbolic link it finds at the target path.
    enum class Link {
        // Replaces the file the link points to: a user's own workbook saved in place stays
        // where the link leads.
        Follow,
        // Replaces the link itself with the new file and leaves its target alone: for files
        // the program names itself (reports in a shared folder), where someone else may have
        // planted the link.
        Replace,
    };

    // Returns false and sets *error (when given) to a message naming the file on failure.
    static bool save(const WorkbookData &data, const QString &path, QString *error,
                     Link link = Link::Follow);

    // For tests: called on the thread that writes a sheet part before each piece of it is
    // made, with what the part holds ("the sheet \"Data\""); what it throws fails the save as
    // that thread's own failures (memory running out) do. Set it only while no save runs.
    inline static std::function<void(const QString &what)> pieceHook;
};

} // namespace excel
