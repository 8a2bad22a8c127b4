#include "LibXmlText.h"

#include <xmlTag.h>

#include <algorithm>
#include <cstring>
#include <string>

void LibXmlText::Render(const xmlTag& page, LibString& text, std::vector<Run>* boldRuns)
{
    if (boldRuns != nullptr)
        boldRuns->clear();
    const char* base = page.Contents();
    const int32 baseLength = base != nullptr ? static_cast<int32>(strlen(base)) : 0;

    // Children stand in document order, so their places in the page's text
    // never go back: the result is built front to back instead of inserting
    // into a growing text.
    std::string out;
    out.reserve(static_cast<size_t>(baseLength) + 64);
    int32 copied = 0;
    for (const ListNode<xmlTag>* node = page.Children().OldestNode(); node != nullptr; node = node->Newer()) {
        const xmlTag& child = *node->Item();
        const int32 at = std::clamp<int32>(child.ParentLocation(), copied, baseLength);
        out.append(base + copied, static_cast<size_t>(at - copied));
        copied = at;
        if (child.Name() == "BR") {
            out += '\n';
        } else if (child.Name() == "P") {
            out += "\n\n";
        } else if (child.Name() == "B") {
            const char* bold = child.Contents();
            const int32 length = bold != nullptr ? static_cast<int32>(strlen(bold)) : 0;
            if (length > 0 && boldRuns != nullptr)
                boldRuns->push_back(Run{static_cast<int32>(out.size()), length});
            if (length > 0)
                out.append(bold, static_cast<size_t>(length));
        }
    }
    if (copied < baseLength)
        out.append(base + copied, static_cast<size_t>(baseLength - copied));
    text = out.c_str();
}
