// The help file reader on arbitrary bytes: every search must end, and the
// trees it builds must stay within the reader's bounds and walk cleanly.
#include <xmlParser.h>
#include <xmlTag.h>

#include <TypeConstants.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdio.h>
#include <cstring>

namespace {

// Visits every element below tag and checks what the reader promises.
int32 Walk(const xmlTag& tag, int32 depth)
{
    if (depth > xmlParser::kMaxDepth + 1)
        abort();
    const char* contents = tag.Contents();
    if (tag.ContentLength() != static_cast<int32>(contents != nullptr ? strlen(contents) : 0))
        abort();
    const xmlTagModifiers& mods = tag.Modifiers();
    char* name = nullptr;
    type_code type = 0;
    int32 count = 0;
    for (int32 i = 0; mods.GetInfo(B_STRING_TYPE, i, &name, &type, &count) == B_OK; i++) {
        if (strlen(name) > size_t(xmlParser::kMaxModifierLength))
            abort();
        for (int32 j = 0; j < count; j++) {
            const char* value = nullptr;
            if (mods.FindString(name, j, &value) != B_OK || strlen(value) > size_t(xmlParser::kMaxModifierLength))
                abort();
        }
    }
    int32 elements = 1;
    for (const ListNode<xmlTag>* node = tag.Children().OldestNode(); node != nullptr; node = node->Newer()) {
        if (node->Item()->ParentLocation() < 0)
            abort();
        elements += Walk(*node->Item(), depth + 1);
    }
    return elements;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Read from memory: a scratch file per run would make the disk, not
    // the reader, the bottleneck.
    if (size == 0)
        return 0;
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (stream == nullptr)
        return 0;
    xmlParser parser;
    if (!parser.Open(stream))
        return 0;
    // The lookups of the help window: the table of contents, then pages.
    for (const char* name : {"CONTENTS", "PAGE", "B", "P"}) {
        parser.Rewind();
        xmlTag tag;
        while (parser.FindTag(name, tag)) {
            if (Walk(tag, 1) > xmlParser::kMaxElements + 1)
                abort();
            xmlTag copy(tag);
            Walk(copy, 1);
        }
    }
    // Every tag name and its attributes in turn.
    parser.Rewind();
    char name[xmlParser::kNameBufferSize];
    bool hasAttributes = false;
    while (parser.NextTag(name, hasAttributes)) {
        if (strlen(name) > size_t(xmlParser::kMaxNameLength))
            abort();
        if (hasAttributes) {
            xmlTag tag;
            parser.AddModifiers(tag.Modifiers());
            Walk(tag, 1);
        }
    }
    return 0;
}
