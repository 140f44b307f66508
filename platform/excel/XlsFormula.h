#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace excel {

// Turns the parsed tokens of a BIFF8 formula back into the A1 text a workbook's Formula gives
// ("=SUM(B2:B3)"). A token it cannot render (or a damaged token array) gives a text that starts
// with kNotDecompiled and says which token, never a formula that means something else.
class XlsFormula
{
public:
    static const QString kNotDecompiled; // "=[not decompiled: "

    // What formulas refer to outside themselves, from the workbook globals.
    struct Context
    {
        struct Xti
        {
            int supBook = 0;
            int firstSheet = 0;
            int lastSheet = 0;
        };
        enum class SupBookKind { Internal, AddIn, External };

        QStringList sheetNames;               // every sheet in file order (charts too)
        std::vector<Xti> xti;                 // EXTERNSHEET
        std::vector<SupBookKind> supBooks;    // SUPBOOK, in order
        std::vector<QStringList> externNames; // EXTERNNAME per SUPBOOK
        QStringList names;                    // NAME records in order (ptgName is 1-based)
    };

    // `tokens` is rgce, `extra` the rgcb that follows it (array constants). Relative
    // references of shared formulas are resolved against the 0-based cell (row, column).
    static QString decompile(const QByteArray &tokens, const QByteArray &extra,
                             const Context &context, int row, int column);

    // The function's name by its built-in number; empty when unknown.
    static QString functionName(int index);
    static QString columnName(int column); // 0-based: 0 "A", 26 "AA"
    static QString quoteSheetName(const QString &name);
    static QString numberText(double value);
    static QString errorText(int code); // BIFF error code (0x07 "#DIV/0!"), empty if unknown
};

} // namespace excel
