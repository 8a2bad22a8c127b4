// The extra fields that zip archives of this system carry beside the file
// data: the "Be" field (header id 0x6542) with the node's typed attributes,
// the Info-ZIP extended time stamp ("UT", 0x5455) and the Unix owner field
// ("Ux", 0x7855). Archives made on the original platform carry the same
// fields, so their attributes come back when they are unpacked here.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <vector>

// One typed attribute of a node, its data in host byte order.
struct ZipAttribute {
    std::string name;
    type_code type = 0;
    std::string data;
};

typedef std::vector<ZipAttribute> ZipAttributeList;

namespace ZipExtra {

enum {
    kBeFieldId = 0x6542,
    kTimeFieldId = 0x5455,
    kUnix2FieldId = 0x7855,
    kUnixFieldId = 0x7875
};

// Room for all extra fields of one header: the length field is 16 bits.
constexpr size_t kMaxExtraSize = 0xffff;

// The attribute block: for each attribute its NUL-terminated name, the type
// code and the data length (both big-endian) and the data, numeric types
// converted to big-endian.
std::string EncodeAttributeBlock(const ZipAttributeList& attributes);

// Reads an attribute block back; B_BAD_DATA when a record is cut short or a
// name is not terminated. Records read before the damage stay in the list.
status_t DecodeAttributeBlock(const void* data, size_t size, ZipAttributeList& attributes);

// Converts the data of a numeric attribute type between host and big-endian
// order (the same operation both ways); other types are left alone.
void SwapAttributeData(type_code type, std::string& data);

// Builds the local and central "Be" fields for an attribute block; the block
// is deflated when that makes it smaller. False when the local field would
// not fit into room bytes.
bool BuildBeFields(const std::string& block, size_t room, std::string& local, std::string& central);

// Finds the "Be" field in a local extra area and returns its attribute block
// (inflated and checked against its CRC when compressed). B_NAME_NOT_FOUND
// when there is none, B_BAD_DATA when it is damaged, B_UNSUPPORTED for
// flags or methods this reader does not know.
status_t ParseBeField(const void* extra, size_t size, std::string& block);

// The extended time stamp: local form with modification and access time,
// central form with the modification time only.
std::string BuildTimeField(bool local, uint32 modified, uint32 accessed);

// The Unix owner field: local form with 16-bit uid and gid, empty central form.
std::string BuildUnix2Field(bool local, uint32 uid, uint32 gid);

// The modification time of an extended time stamp, if the area holds one.
bool FindModificationTime(const void* extra, size_t size, int64& modified);

// Locates the field with the given header id; false when it is absent or the
// area is damaged before it.
bool FindField(const void* extra, size_t size, uint16 id, const uint8*& data, size_t& length);

} // namespace ZipExtra
