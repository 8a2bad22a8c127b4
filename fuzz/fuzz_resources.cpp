// Parses any bytes as a resource container, lists and reads every resource,
// and checks that writing what was read and parsing it again gives the same
// resources.
#include <ResourceFormat.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace ondelle::resources;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemorySource source(data, size);
    ContainerInfo info;
    if (DetectContainer(source, info) != B_OK)
        return 0;
    std::vector<ResourceEntry> entries;
    if (ReadContainerResources(source, info, entries) != B_OK)
        return 0;

    std::vector<std::string> contents;
    std::vector<ResourceLayoutEntry> layout;
    for (const ResourceEntry& entry : entries) {
        std::string bytes(size_t(entry.size), '\0');
        if (source.ReadAt(entry.offset, bytes.data(), bytes.size()) != B_OK)
            abort(); // the parser promised readable entries
        contents.push_back(std::move(bytes));
    }
    for (const ResourceEntry& entry : entries)
        layout.push_back({entry.type, entry.id, &entry.name, entry.size});

    ResourceAreaWriter writer;
    if (writer.Prepare(layout) != B_OK)
        return 0;
    std::string file("RS\0\0", 4);
    file.append(reinterpret_cast<const char*>(writer.AdminBytes().data()), writer.AdminBytes().size());
    for (const std::string& bytes : contents)
        file += bytes;
    file.append(reinterpret_cast<const char*>(writer.InfoTableBytes().data()), writer.InfoTableBytes().size());

    MemorySource again(file.data(), file.size());
    std::vector<ResourceEntry> reread;
    if (ParseResourceArea(again, kX86ResourceBase, reread) != B_OK || reread.size() != entries.size())
        abort();
    for (size_t i = 0; i < reread.size(); i++) {
        std::string bytes(size_t(reread[i].size), '\0');
        if (reread[i].type != entries[i].type || reread[i].id != entries[i].id
            || reread[i].name != entries[i].name
            || again.ReadAt(reread[i].offset, bytes.data(), bytes.size()) != B_OK || bytes != contents[i])
            abort();
    }
    return 0;
}
