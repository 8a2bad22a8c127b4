// HelpParser: the reader the help window keeps open on its help file. It
// reads the tag language exactly as xmlParser does.
#pragma once

#include <xmlParser.h>

class HelpParser : public xmlParser {
public:
    HelpParser() = default;
};
