#pragma once

#include <QString>

// Workbooks for the session-model tests, written by openpyxl (an independent writer) into a
// folder. Returns false, with the writer's output in *error, when they could not be made.
namespace SessionWorkbooks {

// keys.xlsx: sheets "Blank" (scattered and runs of blank key cells), "Merged" (merged key
// cells and a key with blanks around it), "Lower" (used range starting at row 10 with merged
// keys), "Dup" (duplicate keys in two cases), "Multi" (two-part keys in A and C).
// vis.xlsx: sheets "One" visible, "Two" hidden, "Three" very hidden, "Four" visible.
// tall.xlsx: "Tall" used down to row 65536; "Short" rows 1..100.
bool make(const QString &folder, QString *error);

} // namespace SessionWorkbooks
