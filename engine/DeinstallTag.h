// The deinstall tag: the text that marks every entry an installation placed
// (and may later remove) in the string attribute "InstallBy".
//
// The tag is the configuration's "app_name", "version", "release_date",
// "company" and "support_email", in this order, each followed by ";". The
// values are not escaped. A missing value counts as no text.
#pragma once

#include <SupportDefs.h>

#include <string>

class BMessage;

// The attribute that carries the tag (type B_STRING_TYPE, no NUL).
#define DEINSTALL_TAG_ATTRIBUTE "InstallBy"

std::string MakeDeinstallTag(const BMessage& configuration);

// Writes the tag on the node at path itself (a symbolic link is not
// followed), replacing an earlier "InstallBy"; a folder's entries are
// tagged too, at every depth, links inside as links and never entered.
// Entries that cannot be opened are left untagged. Linux keeps no
// attributes on symbolic links, so there a link stays untagged: the
// deinstaller recognises a product's links by their tagged targets.
void TagForDeinstall(const char* path, const char* tag);

// True when the node at path itself carries "InstallBy" equal to tag.
bool HasDeinstallTag(const char* path, const char* tag);
