#pragma once

#include "platform/excel/StringPool.h"

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace excel {

// A streaming reader of the shared-strings part: fed the inflated XML in chunks of any size, it
// appends each string item's text to the pool as the item ends, without building a tree of the
// document (a tree of a large part costs several times the part in memory and most of the
// reading time).
//
// An item's text is the text of its <t> elements and of the <t> elements of its rich-text runs,
// phonetic runs left out, with entities, line ends and the _xHHHH_ escapes resolved; an element
// text of white space only is kept when it is the element's only content.
//
// It takes well-formed UTF-8 documents only. Anything else (another encoding, a document type
// declaration, an unusual entity, malformed or too deeply nested markup) makes it decline: the
// caller then reads the part with a tree parser, which also says what is wrong with it.
class SharedStringsParser
{
public:
    SharedStringsParser(StringPool *strings, int maxDepth = 64, std::int64_t partSize = -1);

    // False when it declines; the strings added so far are then to be dropped.
    bool feed(const char *data, std::size_t size);
    // Call after the last chunk: false when it declines.
    bool finish();
    bool declined() const { return m_declined; }

private:
    bool parse(const char *begin, const char *end, bool final, std::size_t *consumed);
    bool handleTag(const char *begin, const char *end);
    // An item of the plain shape after its "<si>": where parsing goes on, null when the item is
    // to go the general way.
    const char *plainItem(const char *p, const char *end);
    void text(const char *begin, const char *end);
    void cdata(const char *begin, const char *end);
    bool startRoot(const char *attrs, const char *end);
    void endText();
    bool endItem();
    bool decline()
    {
        m_declined = true;
        return false;
    }

    StringPool *m_strings;
    int m_maxDepth;
    std::int64_t m_partSize;
    bool m_declined = false;
    bool m_started = false; // past the byte order mark and the declaration
    bool m_rootSeen = false;

    std::string m_buffer; // an unfinished token carried to the next chunk
    std::vector<std::uint64_t> m_stack;

    bool m_inItem = false;
    bool m_inRun = false;
    std::size_t m_textDepth = 0; // depth of the <t> being collected, 0 when none
    int m_textNodes = 0;         // content nodes of that <t>
    std::string m_textRaw;       // its text as in the file (CDATA escaped)
    std::vector<std::pair<std::size_t, std::size_t>> m_blankRuns; // white-space-only runs in it
    std::string m_itemRaw;
};

} // namespace excel
