// Description of one attribute of a node.
#pragma once

#include <SupportDefs.h>

struct attr_info {
    uint32 type;  // the platform type code stored with the value
    off_t size;   // the value's length in bytes
};
