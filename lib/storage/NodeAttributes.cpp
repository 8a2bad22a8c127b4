#include "NodeAttributes.h"

#include <Node.h>
#include <StorageDefs.h>

status_t ReadNodeAttributes(const char* path, ZipAttributeList& attributes)
{
    BNode node(path);
    status_t status = node.InitCheck();
    if (status != B_OK)
        return status;
    char name[B_ATTR_NAME_LENGTH];
    node.RewindAttrs();
    while (node.GetNextAttrName(name) == B_OK) {
        attr_info info = {};
        status = node.GetAttrInfo(name, &info);
        if (status != B_OK)
            return status;
        ZipAttribute attribute;
        attribute.name = name;
        attribute.type = info.type;
        attribute.data.resize(size_t(info.size));
        const ssize_t read = node.ReadAttr(name, info.type, 0, attribute.data.data(), attribute.data.size());
        if (read < 0)
            return status_t(read);
        attribute.data.resize(size_t(read));
        attributes.push_back(std::move(attribute));
    }
    return B_OK;
}

status_t WriteNodeAttributes(const char* path, const ZipAttributeList& attributes)
{
    BNode node(path);
    status_t status = node.InitCheck();
    if (status != B_OK)
        return status;
    status_t first = B_OK;
    for (const ZipAttribute& attribute : attributes) {
        // Offset 0 replaces the whole value, so a longer old one cannot remain.
        const ssize_t written = node.WriteAttr(attribute.name.c_str(), attribute.type, 0,
            attribute.data.data(), attribute.data.size());
        if (written < 0 && first == B_OK)
            first = status_t(written);
    }
    return first;
}
