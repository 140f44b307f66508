#include "platform/excel/SharedStringsParser.h"

#include "platform/excel/XmlText.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <string_view>

namespace excel {

namespace {

constexpr std::size_t kMaxToken = 64u << 20; // one tag or one text run

// Identifies an element's name for matching its end tag.
std::uint64_t nameHash(const char *s, std::size_t n)
{
    std::uint64_t h = 14695981039346656037ull ^ n;
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ std::uint8_t(s[i])) * 1099511628211ull;
    return h;
}

// White space as XML counts it in character data.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

inline bool isLocal(const char *name, std::size_t n, const char *local)
{
    const std::size_t l = std::strlen(local);
    if (n < l || std::memcmp(name + n - l, local, l) != 0) return false;
    return n == l || name[n - l - 1] == ':';
}

// Calls f(name, nameLength, value, valueLength) for each attribute; false when malformed.
template <typename F> bool forEachAttribute(const char *p, const char *end, F &&f)
{
    while (p < end) {
        const char *before = p;
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end) return true;
        if (p == before) return false; // attributes are separated by white space
        const char *name = p;
        while (p < end && *p != '=' && !isBlank(*p))
            ++p;
        const std::size_t nameLength = std::size_t(p - name);
        while (p < end && isBlank(*p))
            ++p;
        if (nameLength == 0 || p >= end || *p != '=') return false;
        ++p;
        while (p < end && isBlank(*p))
            ++p;
        if (p >= end || (*p != '"' && *p != '\'')) return false;
        const char quote = *p++;
        const char *value = p;
        while (p < end && *p != quote) {
            if (*p == '<') return false;
            ++p;
        }
        if (p >= end) return false;
        f(name, nameLength, value, std::size_t(p - value));
        ++p;
    }
    return true;
}

// The line ends of XML: CR LF and a lone CR read as LF.
void normalizeLineEnds(std::string &s)
{
    std::size_t out = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            s[out++] = '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            s[out++] = s[i];
        }
    }
    s.resize(out);
}

bool hasEscape(const std::string &s)
{
    return s.find("_x") != std::string::npos;
}

} // namespace

SharedStringsParser::SharedStringsParser(StringPool *strings, int maxDepth, std::int64_t partSize)
    : m_strings(strings), m_maxDepth(maxDepth), m_partSize(partSize)
{
}

bool SharedStringsParser::feed(const char *data, std::size_t size)
{
    if (m_declined) return false;
    std::size_t start = 0, consumed = 0;
    if (!m_buffer.empty()) {
        // Finish the token left over from the last chunk on a small bridge of copied bytes,
        // then go on in the chunk itself.
        const std::size_t kept = m_buffer.size();
        const std::size_t bridge = std::min(size, std::max<std::size_t>(4096, kept));
        m_buffer.append(data, bridge);
        if (!parse(m_buffer.data(), m_buffer.data() + m_buffer.size(), false, &consumed))
            return false;
        if (consumed < kept) { // a token longer than the bridge: gather it whole
            m_buffer.erase(0, consumed);
            m_buffer.append(data + bridge, size - bridge);
            if (!parse(m_buffer.data(), m_buffer.data() + m_buffer.size(), false, &consumed))
                return false;
            m_buffer.erase(0, consumed);
            return m_buffer.size() <= kMaxToken || decline();
        }
        start = consumed - kept;
        m_buffer.clear();
    }
    if (!parse(data + start, data + size, false, &consumed)) return false;
    m_buffer.assign(data + start + consumed, size - start - consumed);
    return m_buffer.size() <= kMaxToken || decline();
}

bool SharedStringsParser::finish()
{
    if (m_declined) return false;
    std::size_t consumed = 0;
    if (!parse(m_buffer.data(), m_buffer.data() + m_buffer.size(), true, &consumed)) return false;
    if (!m_rootSeen || !m_stack.empty()) return decline();
    return true;
}

bool SharedStringsParser::parse(const char *begin, const char *end, bool final,
                                std::size_t *consumed)
{
    const char *p = begin;
    if (!m_started) {
        if (end - p < 4 && !final) {
            *consumed = 0;
            return true;
        }
        // UTF-8, with or without its byte order mark; UTF-16 and UTF-32 go the other way.
        if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
        if (p < end && (*p == '\0' || std::uint8_t(*p) >= 0xFE)) return decline();
        if (end - p >= 2 && p[1] == '\0') return decline();
        m_started = true;
    }
    while (p < end) {
        if (*p != '<') {
            const char *lt = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p)));
            if (!lt) {
                if (!final) break;
                lt = end;
            }
            text(p, lt);
            p = lt;
            continue;
        }
        if (end - p < 2) {
            if (final) return decline();
            break;
        }
        if (p[1] == '?') {
            const char *close = std::search(p + 2, end, "?>", "?>" + 2);
            if (close == end) {
                if (final) return decline();
                break;
            }
            // The declaration may name another encoding than UTF-8.
            if (end - p >= 6 && std::memcmp(p, "<?xml", 5) == 0 && isBlank(p[5])) {
                bool utf8 = true;
                if (!forEachAttribute(
                        p + 5, close,
                        [&](const char *n, std::size_t nl, const char *v, std::size_t vl) {
                            if (isLocal(n, nl, "encoding"))
                                utf8 = QByteArray(v, qsizetype(vl)).toLower().replace('-', "") ==
                                       "utf8";
                        }) ||
                    !utf8)
                    return decline();
            }
            p = close + 2;
            continue;
        }
        if (p[1] == '!') {
            if (end - p < 9) {
                if (final) return decline();
                break;
            }
            if (std::memcmp(p, "<!--", 4) == 0) {
                const char *close = std::search(p + 4, end, "-->", "-->" + 3);
                if (close == end) {
                    if (final) return decline();
                    break;
                }
                p = close + 3;
                continue;
            }
            if (std::memcmp(p, "<![CDATA[", 9) == 0) {
                const char *close = std::search(p + 9, end, "]]>", "]]>" + 3);
                if (close == end) {
                    if (final) return decline();
                    break;
                }
                cdata(p + 9, close);
                p = close + 3;
                continue;
            }
            return decline(); // a document type declaration
        }
        if (m_stack.size() == 1 && !m_inItem && end - p > 4 && std::memcmp(p, "<si>", 4) == 0) {
            if (const char *next = plainItem(p + 4, end)) {
                p = next;
                continue;
            }
        }
        // an element tag: find its '>' outside attribute quotes
        const char *q = p + 1;
        for (; q < end; ++q) {
            const char c = *q;
            if (c == '>') break;
            if (c == '"' || c == '\'') {
                while (++q < end && *q != c) {
                }
                if (q == end) break;
            } else if (c == '<') {
                return decline();
            }
        }
        if (q == end) {
            if (final) return decline();
            break;
        }
        if (!handleTag(p + 1, q)) return false;
        p = q + 1;
    }
    *consumed = std::size_t(p - begin);
    return true;
}

const char *SharedStringsParser::plainItem(const char *p, const char *end)
{
    // Most items are <si><t>text</t></si>, the text without markup, entities or carriage
    // returns: taken in one go. Anything else goes the general way.
    if (m_maxDepth < 3) return nullptr;
    static const char preserve[] = "<t xml:space=\"preserve\">";
    const std::size_t preserveLength = sizeof preserve - 1;
    if (end - p >= 3 && std::memcmp(p, "<t>", 3) == 0)
        p += 3;
    else if (std::size_t(end - p) >= preserveLength &&
             std::memcmp(p, preserve, preserveLength) == 0)
        p += preserveLength;
    else
        return nullptr;
    const char *textEnd = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p)));
    if (!textEnd || end - textEnd < 9 || std::memcmp(textEnd, "</t></si>", 9) != 0) return nullptr;
    const std::size_t length = std::size_t(textEnd - p);
    if (std::memchr(p, '&', length) || std::memchr(p, '\r', length)) return nullptr;
    if (std::string_view(p, length).find("_x") != std::string_view::npos)
        m_strings->push_back(XmlText::unescapeStringValue(QString::fromUtf8(p, qsizetype(length))));
    else
        m_strings->pushUtf8(p, length);
    return textEnd + 9;
}

void SharedStringsParser::text(const char *begin, const char *end)
{
    // Only the direct text of a collected <t> counts; text elsewhere is markup's white space.
    if (!m_textDepth || m_stack.size() != m_textDepth || begin == end) return;
    ++m_textNodes;
    const bool blank = std::all_of(begin, end, isBlank);
    if (blank) m_blankRuns.emplace_back(m_textRaw.size(), std::size_t(end - begin));
    m_textRaw.append(begin, std::size_t(end - begin));
}

void SharedStringsParser::cdata(const char *begin, const char *end)
{
    if (!m_textDepth || m_stack.size() != m_textDepth) return;
    ++m_textNodes;
    // CDATA is literal: its ampersands and angle brackets must not be read as entities.
    for (const char *q = begin; q < end; ++q) {
        if (*q == '&')
            m_textRaw += "&amp;";
        else if (*q == '<')
            m_textRaw += "&lt;";
        else
            m_textRaw += *q;
    }
}

bool SharedStringsParser::startRoot(const char *attrs, const char *end)
{
    if (m_rootSeen) return decline(); // a second root element
    m_rootSeen = true;
    long long declared = -1;
    if (!forEachAttribute(attrs, end,
                          [&](const char *n, std::size_t nl, const char *v, std::size_t vl) {
                              if (isLocal(n, nl, "uniqueCount"))
                                  declared = QByteArray(v, qsizetype(vl)).toLongLong();
                          }))
        return decline();
    // Room for the items the part says it holds, but never more than its size could hold.
    if (declared > 0 && m_partSize > 0)
        m_strings->reserve(m_strings->size() +
                           std::size_t(std::min<long long>(declared, m_partSize / 16)));
    return true;
}

bool SharedStringsParser::handleTag(const char *b, const char *e)
{
    const bool closing = *b == '/';
    if (closing) ++b;
    const bool selfClosing = !closing && e > b && e[-1] == '/';
    const char *nameEnd = b;
    while (nameEnd < e && !isBlank(*nameEnd) && *nameEnd != '/')
        ++nameEnd;
    const std::size_t n = std::size_t(nameEnd - b);
    if (n == 0) return decline();
    const std::uint64_t hash = nameHash(b, n);
    const char *attrsEnd = selfClosing ? e - 1 : e;

    if (closing) {
        if (m_stack.empty() || m_stack.back() != hash) return decline();
        for (const char *q = nameEnd; q < e; ++q)
            if (!isBlank(*q)) return decline();
        const std::size_t depth = m_stack.size();
        m_stack.pop_back();
        if (depth == m_textDepth) {
            endText();
        } else if (m_inRun && depth == 3) {
            m_inRun = false;
        } else if (m_inItem && depth == 2) {
            return endItem();
        }
        return true;
    }

    if (m_stack.empty()) {
        if (!startRoot(nameEnd, attrsEnd)) return false;
    } else if (!forEachAttribute(nameEnd, attrsEnd,
                                 [](const char *, std::size_t, const char *, std::size_t) {})) {
        return decline();
    }
    if (m_textDepth && m_stack.size() == m_textDepth) ++m_textNodes; // an element in a <t>
    const std::size_t depth = m_stack.size() + 1;
    if (int(depth) > m_maxDepth) return decline();

    if (depth == 2 && isLocal(b, n, "si")) {
        m_inItem = true;
        m_inRun = false;
        m_itemRaw.clear();
        if (selfClosing) return endItem();
    } else if (m_inItem && !m_textDepth && isLocal(b, n, "t") &&
               (depth == 3 || (m_inRun && depth == 4))) {
        if (!selfClosing) {
            m_textDepth = depth;
            m_textNodes = 0;
            m_textRaw.clear();
            m_blankRuns.clear();
        }
    } else if (m_inItem && depth == 3 && isLocal(b, n, "r")) {
        m_inRun = !selfClosing;
    }
    if (!selfClosing) m_stack.push_back(hash);
    return true;
}

void SharedStringsParser::endText()
{
    m_textDepth = 0;
    // A text of white space only is kept when it is the element's only content.
    if (m_textNodes > 1) {
        for (auto it = m_blankRuns.rbegin(); it != m_blankRuns.rend(); ++it)
            m_textRaw.erase(it->first, it->second);
    }
    m_itemRaw += m_textRaw;
}

bool SharedStringsParser::endItem()
{
    m_inItem = false;
    m_inRun = false;
    if (m_itemRaw.find_first_of("&\r") == std::string::npos) {
        if (hasEscape(m_itemRaw))
            m_strings->push_back(XmlText::unescapeStringValue(
                QString::fromUtf8(m_itemRaw.data(), qsizetype(m_itemRaw.size()))));
        else
            m_strings->pushUtf8(m_itemRaw.data(), m_itemRaw.size());
        return true;
    }
    normalizeLineEnds(m_itemRaw);
    QString text;
    // An entity the decoder does not know is left to the tree parser's rules.
    if (!XmlText::decode(m_itemRaw.data(), m_itemRaw.size(), &text)) return decline();
    m_strings->push_back(XmlText::unescapeStringValue(text));
    return true;
}

} // namespace excel
