// Reading and writing all typed attributes of one node at once, for the
// archive code: the node is the entry itself, a symbolic link included.
#pragma once

#include "ZipExtraFields.h"

// Every attribute of the node at path, in the order the node lists them.
status_t ReadNodeAttributes(const char* path, ZipAttributeList& attributes);

// Writes each attribute to the node at path, replacing one of the same name.
// Continues past failures and returns the first error.
status_t WriteNodeAttributes(const char* path, const ZipAttributeList& attributes);
