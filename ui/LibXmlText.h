// LibXmlText: turns a help page, as the xmlParser read it, into the plain
// text a text view shows. The page's own text is the base; its direct
// children are placed where they stood in it:
//   "BR"  a line break,
//   "P"   a paragraph break (two line breaks),
//   "B"   the child's own text, which is also recorded as a bold run,
//   any other child is left out.
// Names are compared exactly (upper case). The page is not changed, so the
// same page renders the same way every time.
#pragma once

#include <LibString.h>
#include <SupportDefs.h>

#include <vector>

class xmlTag;

class LibXmlText {
public:
    // A range of the rendered text: offset and length in bytes.
    struct Run {
        int32 offset;
        int32 length;
        bool operator==(const Run& other) const = default;
    };

    // Renders page into text (replacing it) and lists the bold runs in
    // order. Children whose place lies beyond the page's text (trailing
    // blanks are stripped when a page is read) go at its end; time is linear
    // in the page's size.
    static void Render(const xmlTag& page, LibString& text, std::vector<Run>* boldRuns = nullptr);
};
