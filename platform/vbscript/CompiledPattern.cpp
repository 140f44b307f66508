#include "platform/vbscript/CompiledPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace vbs {

namespace {

pcre2_code_16 *code(void *p)
{
    return static_cast<pcre2_code_16 *>(p);
}

pcre2_match_data_16 *data(void *p)
{
    return static_cast<pcre2_match_data_16 *>(p);
}

} // namespace

CompiledPattern::CompiledPattern(const QString &pattern, bool ignoreCase, bool multiLine)
{
    // \C matches half a character, which would leave a match inside a surrogate pair.
    uint32_t options = PCRE2_UTF | PCRE2_NEVER_BACKSLASH_C;
    if (ignoreCase) options |= PCRE2_CASELESS;
    if (multiLine) options |= PCRE2_MULTILINE;
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code_16 *c =
        pcre2_compile_16(reinterpret_cast<PCRE2_SPTR16>(pattern.utf16()),
                         PCRE2_SIZE(pattern.size()), options, &errorCode, &errorOffset, nullptr);
    if (!c) {
        PCRE2_UCHAR16 buffer[256];
        const int n = pcre2_get_error_message_16(errorCode, buffer, 256);
        m_error = n > 0 ? QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), n)
                        : QStringLiteral("error %1").arg(errorCode);
        m_error += QStringLiteral(" at offset %1").arg(qulonglong(errorOffset));
        return;
    }
    // Without a JIT the interpreter matches the same, only slower.
    pcre2_jit_compile_16(c, PCRE2_JIT_COMPLETE);
    m_code = c;
    m_data = pcre2_match_data_create_from_pattern_16(c, nullptr);
    uint32_t groups = 0;
    pcre2_pattern_info_16(c, PCRE2_INFO_CAPTURECOUNT, &groups);
    m_captures = int(groups);
}

CompiledPattern::~CompiledPattern()
{
    pcre2_match_data_free_16(data(m_data));
    pcre2_code_free_16(code(m_code));
}

QStringView CompiledPattern::valid(QStringView subject, QString &fixed)
{
    const auto stray = [&](qsizetype i) {
        const QChar c = subject[i];
        if (c.isHighSurrogate()) return i + 1 >= subject.size() || !subject[i + 1].isLowSurrogate();
        return c.isLowSurrogate() && (i == 0 || !subject[i - 1].isHighSurrogate());
    };
    qsizetype i = 0;
    while (i < subject.size() && !stray(i))
        ++i;
    if (i == subject.size()) return subject;
    fixed = subject.toString();
    for (; i < subject.size(); ++i)
        if (stray(i)) fixed[i] = QChar(QChar::ReplacementCharacter);
    return fixed;
}

bool CompiledPattern::find(QStringView subject, qsizetype from, bool notEmptyHere)
{
    QString fixed;
    return matchValid(valid(subject, fixed), from, notEmptyHere);
}

bool CompiledPattern::matchValid(QStringView subject, qsizetype from, bool notEmptyHere)
{
    m_failed = false;
    m_failure.clear();
    if (!m_code || from < 0 || from > subject.size()) return false;
    const uint32_t options =
        PCRE2_NO_UTF_CHECK | (notEmptyHere ? (PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED) : 0);
    // A null view still names an empty subject.
    static const char16_t empty = 0;
    const auto *text = subject.isNull() ? &empty : subject.utf16();
    const int rc = pcre2_match_16(code(m_code), reinterpret_cast<PCRE2_SPTR16>(text),
                                  PCRE2_SIZE(subject.size()), PCRE2_SIZE(from), options,
                                  data(m_data), nullptr);
    m_failed = rc < 0 && rc != PCRE2_ERROR_NOMATCH;
    if (m_failed) {
        PCRE2_UCHAR16 buffer[256];
        const int n = pcre2_get_error_message_16(rc, buffer, 256);
        m_failure = n > 0 ? QString::fromUtf16(reinterpret_cast<const char16_t *>(buffer), n)
                          : QStringLiteral("error %1").arg(rc);
    }
    return rc > 0;
}

qsizetype CompiledPattern::start(int group) const
{
    if (!m_data || group < 0 || group > m_captures) return -1;
    const PCRE2_SIZE *v = pcre2_get_ovector_pointer_16(data(m_data));
    return v[2 * group] == PCRE2_UNSET ? -1 : qsizetype(v[2 * group]);
}

qsizetype CompiledPattern::end(int group) const
{
    if (!m_data || group < 0 || group > m_captures) return -1;
    const PCRE2_SIZE *v = pcre2_get_ovector_pointer_16(data(m_data));
    return v[2 * group + 1] == PCRE2_UNSET ? -1 : qsizetype(v[2 * group + 1]);
}

CompiledPattern::Walk::Walk(CompiledPattern &pattern, QStringView subject)
    : m_p(pattern), m_s(valid(subject, m_fixed))
{
}

bool CompiledPattern::Walk::next()
{
    while (!m_done) {
        if (m_p.matchValid(m_s, m_offset, m_lastEmpty)) {
            m_lastEmpty = m_p.start() == m_p.end();
            m_offset = m_p.end();
            return true;
        }
        if (!m_lastEmpty || m_offset >= m_s.size() || m_p.failed()) {
            m_done = true;
            break;
        }
        // An empty match here and nothing longer: move on by one character (a surrogate pair
        // is one character).
        const bool pair = m_offset + 1 < m_s.size() && m_s[m_offset].isHighSurrogate() &&
                          m_s[m_offset + 1].isLowSurrogate();
        m_offset += pair ? 2 : 1;
        m_lastEmpty = false;
    }
    return false;
}

} // namespace vbs
