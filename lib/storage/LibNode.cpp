#include "LibNode.h"

#include "LibFileUtils.h"
#include "ToolRunner.h"

#include <Directory.h>
#include <Entry.h>
#include <File.h>
#include <Message.h>
#include <StopPoint.h>
#include <TypeConstants.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

LibNode::LibNode()
{
}

LibNode::LibNode(const BEntry* entry)
    : BNode(entry)
{
}

LibNode::LibNode(const entry_ref* ref)
    : BNode(ref)
{
}

LibNode::LibNode(const char* path)
    : BNode(path)
{
}

LibNode::~LibNode()
{
}

bool LibNode::ReadMessageAttr(const char* name, BMessage& message)
{
    attr_info info;
    if (GetAttrInfo(name, &info) != B_OK)
        return false;
    std::vector<char> buffer(size_t(info.size));
    const ssize_t read = ReadAttr(name, B_RAW_TYPE, 0, buffer.data(), buffer.size());
    if (read < 0)
        return false;
    return message.Unflatten(buffer.data(), read) == B_OK;
}

void LibNode::WriteMessageAttr(const char* name, const BMessage& message)
{
    stop_point();
    std::string flat;
    if (message.Flatten(&flat) != B_OK)
        return;
    RemoveAttr(name);
    WriteAttr(name, B_RAW_TYPE, 0, flat.data(), flat.size());
}

bool LibNode::ReadBoolAttr(const char* name, bool& value)
{
    uint8 byte = 0;
    if (ReadAttr(name, B_BOOL_TYPE, 0, &byte, 1) != 1)
        return false;
    value = byte != 0;
    return true;
}

void LibNode::WriteBoolAttr(const char* name, const bool& value)
{
    stop_point();
    const uint8 byte = value ? 1 : 0;
    RemoveAttr(name);
    WriteAttr(name, B_BOOL_TYPE, 0, &byte, 1);
}

bool LibNode::ReadInt32Attr(const char* name, int32& value)
{
    int32 read = 0;
    if (ReadAttr(name, B_INT32_TYPE, 0, &read, sizeof(read)) != ssize_t(sizeof(read)))
        return false;
    value = read;
    return true;
}

void LibNode::WriteInt32Attr(const char* name, const int32& value)
{
    stop_point();
    RemoveAttr(name);
    WriteAttr(name, B_INT32_TYPE, 0, &value, sizeof(value));
}

ssize_t LibNode::ReadStringAttr(const char* name, LibString& value)
{
    attr_info info;
    const status_t status = GetAttrInfo(name, &info);
    if (status != B_OK)
        return status;
    std::vector<char> buffer(size_t(info.size) + 1, '\0');
    const ssize_t read = ReadAttr(name, B_STRING_TYPE, 0, buffer.data(), size_t(info.size));
    if (read < 0)
        return read;
    buffer[size_t(read)] = '\0';
    value = buffer.data();
    return read;
}

status_t LibNode::WriteStringAttr(const char* name, const char* value)
{
    if (value == nullptr)
        return B_BAD_VALUE;
    stop_point();
    RemoveAttr(name);
    const ssize_t written = WriteAttr(name, B_STRING_TYPE, 0, value, strlen(value));
    return written < 0 ? status_t(written) : B_OK;
}

bool LibNode::CompressFile(const char* name, const char* file)
{
    if (name == nullptr || file == nullptr || !LibExists(file)) {
        fprintf(stderr, "LibNode::CompressFile: %s does not exist\n", file != nullptr ? file : "(null)");
        return false;
    }
    stop_point();
    // The archive goes to a file made exclusively in the temporary folder;
    // the zip code replaces it by renaming, never by writing through a
    // link planted at that name.
    BPath archive;
    BFile placeholder;
    if (LibCreateUniqueFile(archive, "zip", placeholder) != B_OK)
        return false;
    placeholder.Unset();
    const bool zipped = LibZip(archive.Path(), BPath(file), 9);
    fprintf(stderr, "zipped to %s\n", archive.Path());

    bool result = false;
    BFile data(archive.Path(), B_READ_ONLY);
    off_t size = 0;
    if (zipped && data.InitCheck() == B_OK && data.GetSize(&size) == B_OK) {
        std::vector<char> bytes(static_cast<size_t>(size));
        if (data.ReadAt(0, bytes.data(), bytes.size()) == ssize_t(bytes.size())) {
            RemoveAttr(name);
            result = WriteAttr(name, B_RAW_TYPE, 0, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        }
    }
    data.Unset();
    BEntry(archive.Path()).Remove();
    return result;
}

bool LibNode::UncompressFile(const char* file, const char* name, bool unzip)
{
    if (file == nullptr || name == nullptr)
        return false;
    attr_info info;
    if (GetAttrInfo(name, &info) != B_OK)
        return false;
    std::vector<char> bytes(size_t(info.size));
    if (ReadAttr(name, B_RAW_TYPE, 0, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
        return false;
    stop_point();

    // A private folder made exclusively holds the archive and what it
    // unpacks to, so nothing lands at a guessable name in a shared folder.
    BPath folder;
    if (LibCreateUniqueFolder(folder, "zip") != B_OK) {
        fprintf(stderr, "Error initializine file in UncompressFile\n");
        return false;
    }
    BPath archive(folder.Path(), name);
    BFile out(archive.Path(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
    if (out.InitCheck() != B_OK) {
        fprintf(stderr, "Error initializine file in UncompressFile\n");
        LibUnlink(folder.Path());
        return false;
    }
    const bool written = out.Write(bytes.data(), bytes.size()) == ssize_t(bytes.size());
    out.Unset();

    std::string result = archive.Path();
    if (written && unzip) {
        // The archive is renamed aside first: its entry carries name too.
        const std::string packed = std::string(folder.Path()) + "/.archive.zip";
        ::rename(archive.Path(), packed.c_str());
        LibUnzipTo(packed.c_str(), folder.Path());
        ::unlink(packed.c_str());
        if (!EntryExists(result)) {
            // An archive whose one entry has another name: take that one.
            BDirectory directory(folder.Path());
            BEntry entry;
            if (directory.CountEntries() == 1 && directory.GetNextEntry(&entry) == B_OK)
                result = entry.PathName();
        }
    }
    const bool moved = written && EntryExists(result) && LibMove(result.c_str(), file);
    if (moved)
        Libmimeset(file);
    LibUnlink(folder.Path());
    return moved;
}
