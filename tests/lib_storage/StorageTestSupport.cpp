#include "StorageTestSupport.h"

#include <Node.h>

namespace storage_test {

const char* const kAwkwardName = "-a \"q\" 'x' $HOME `id` ;& *?\\ new\nline";

bool SetAttribute(const std::string& path, const char* name, type_code type, const std::string& data)
{
    BNode node(path.c_str());
    return node.InitCheck() == B_OK && node.WriteAttr(name, type, 0, data.data(), data.size()) == ssize_t(data.size());
}

bool GetAttribute(const std::string& path, const char* name, type_code& type, std::string& data)
{
    BNode node(path.c_str());
    attr_info info;
    if (node.InitCheck() != B_OK || node.GetAttrInfo(name, &info) != B_OK)
        return false;
    type = info.type;
    data.assign(size_t(info.size), '\0');
    return node.ReadAttr(name, type, 0, data.data(), data.size()) == ssize_t(data.size());
}

} // namespace storage_test
