#pragma once

#include <QString>

// A folder that belongs to the user alone, for small state files that other users must neither
// read nor plant: $XDG_RUNTIME_DIR/quorva when the session has a runtime folder, else the
// program's own temporary folder (tempFolder, which is private too). The runtime subfolder is
// created with mode 0700 and checked on every call: a folder, not a link, owned by this user,
// with no access for group or others (a folder of ours with wider rights is narrowed to 0700;
// anyone else's, or a link, is passed over for the temporary folder).
namespace files {

// The folder without a trailing "/", or "" with the reason (naming the folder) in *error.
QString userRuntimeFolder(QString *error = nullptr);

} // namespace files
