#include "platform/excel/StyleCodes.h"

#include <cstdlib>

namespace excel {

namespace {

const std::int32_t kPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

struct PatternName
{
    const char *name;
    int pattern;
};

const PatternName kPatterns[] = {
    {"none", -4142},         {"solid", 1},
    {"darkGray", -4126},     {"mediumGray", -4125},
    {"lightGray", -4124},    {"gray125", 17},
    {"gray0625", 18},        {"darkHorizontal", -4128},
    {"darkVertical", -4166}, {"darkDown", -4121},
    {"darkUp", -4162},       {"darkGrid", 9},
    {"darkTrellis", 10},     {"lightHorizontal", 11},
    {"lightVertical", 12},   {"lightDown", 13},
    {"lightUp", 14},         {"lightGrid", 15},
    {"lightTrellis", 16},
};

} // namespace

std::int32_t StyleCodes::paletteColor(int colorIndex)
{
    return colorIndex >= 1 && colorIndex <= 56 ? kPalette[colorIndex - 1] : -1;
}

int StyleCodes::nearestColorIndex(std::int32_t rgb)
{
    int best = 1;
    long bestDistance = -1;
    for (int i = 0; i < 56; ++i) {
        long dr = ((kPalette[i] >> 16) & 0xFF) - ((rgb >> 16) & 0xFF);
        long dg = ((kPalette[i] >> 8) & 0xFF) - ((rgb >> 8) & 0xFF);
        long db = (kPalette[i] & 0xFF) - (rgb & 0xFF);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i + 1;
            bestDistance = d;
        }
    }
    return best;
}

std::int32_t StyleCodes::indexedColor(int indexed)
{
    if (indexed >= 0 && indexed < 8) return kPalette[indexed];
    if (indexed >= 8 && indexed < 64) return kPalette[indexed - 8];
    return -1;
}

int StyleCodes::patternFromName(const QString &name)
{
    for (const PatternName &p : kPatterns)
        if (name == QLatin1String(p.name)) return p.pattern;
    return name.isEmpty() ? PatternNone : PatternSolid;
}

QString StyleCodes::patternName(int pattern)
{
    for (const PatternName &p : kPatterns)
        if (pattern == p.pattern) return QLatin1String(p.name);
    return QStringLiteral("solid");
}

QString StyleCodes::builtinFormat(int id)
{
    switch (id) {
    case 0:
        return QStringLiteral("General");
    case 1:
        return QStringLiteral("0");
    case 2:
        return QStringLiteral("0.00");
    case 3:
        return QStringLiteral("#,##0");
    case 4:
        return QStringLiteral("#,##0.00");
    case 9:
        return QStringLiteral("0%");
    case 10:
        return QStringLiteral("0.00%");
    case 11:
        return QStringLiteral("0.00E+00");
    case 12:
        return QStringLiteral("# ?/?");
    case 13:
        return QStringLiteral("# ?\?/?\?");
    case 14:
        return QStringLiteral("m/d/yyyy");
    case 15:
        return QStringLiteral("d-mmm-yy");
    case 16:
        return QStringLiteral("d-mmm");
    case 17:
        return QStringLiteral("mmm-yy");
    case 18:
        return QStringLiteral("h:mm AM/PM");
    case 19:
        return QStringLiteral("h:mm:ss AM/PM");
    case 20:
        return QStringLiteral("h:mm");
    case 21:
        return QStringLiteral("h:mm:ss");
    case 22:
        return QStringLiteral("m/d/yyyy h:mm");
    case 37:
        return QStringLiteral("#,##0 ;(#,##0)");
    case 38:
        return QStringLiteral("#,##0 ;[Red](#,##0)");
    case 39:
        return QStringLiteral("#,##0.00;(#,##0.00)");
    case 40:
        return QStringLiteral("#,##0.00;[Red](#,##0.00)");
    case 45:
        return QStringLiteral("mm:ss");
    case 46:
        return QStringLiteral("[h]:mm:ss");
    case 47:
        return QStringLiteral("mmss.0");
    case 48:
        return QStringLiteral("##0.0E+0");
    case 49:
        return QStringLiteral("@");
    default:
        return QString();
    }
}

bool StyleCodes::isDateFormat(int id, const QString &code)
{
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47) || (id >= 27 && id <= 36) ||
        (id >= 50 && id <= 58))
        return true;
    return isDateCode(code);
}

bool StyleCodes::isDateCode(const QString &code)
{
    // Only the first section decides; a text section ("@") never makes a date.
    bool inQuote = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        QChar c = code[i];
        if (inQuote) {
            if (c == u'"') inQuote = false;
            continue;
        }
        switch (c.unicode()) {
        case u'"':
            inQuote = true;
            break;
        case u'\\':
        case u'_':
        case u'*':
            ++i; // the next character is shown literally (or used as padding)
            break;
        case u';':
            return false;
        case u'[': {
            qsizetype end = code.indexOf(u']', i);
            if (end < 0) return false;
            // [h], [mm], [ss]: elapsed time; anything else is a colour, condition or locale.
            QString inner = code.mid(i + 1, end - i - 1).toLower();
            if (!inner.isEmpty() && inner.count(inner[0]) == inner.size() &&
                (inner[0] == u'h' || inner[0] == u'm' || inner[0] == u's'))
                return true;
            i = end;
            break;
        }
        case u'y':
        case u'Y':
        case u'm':
        case u'M':
        case u'd':
        case u'D':
        case u'h':
        case u'H':
        case u's':
        case u'S':
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace excel
