// The start-up folder's section of UserBootscript.
#include "StartupFolder.h"

#include <cstring>

namespace {

// Everything before the folder path.
const char* const kSectionHead = R"SECTION(#
# This section was placed by Ondelle.
# If you are having trouble with these commands,
# please contact support@ondelle.example.org.
#
# These commands gathers items in the start-up file at boot time
# Applications that have an attribute of 'run_priority' get placed
# in the first file, and all others are placed in the second file.
# Those with a run_priority are sorted so those with the lowest priority
# are run first.
#
# With thanks to the testers of the installer
# and to the vendors who build with it.
#
# Any alterations done in this section may be lost
# during the next installation of this product.
#
startup_folder=)SECTION";

// Everything after the folder path. It ends with "#" and no line end: the
// editor adds one after the section text.
const char* const kSectionTail = R"SECTION(
if [ -d $startup_folder ]
then
	#
	# Add items with attributes to file
	#
	echo "#!/bin/sh" > /tmp/startup_pri_$$
	/bin/catattr run_priority "$startup_folder"/* 2>| /tmp/errs_$$ |
	/bin/awk -F: '{printf("%s~\"%s\"\n",$NF,substr($1,0,length($1)-1));}' |
	sort -n |
	/bin/awk -F '~' '{printf("%s &\n",$2)}' >> /tmp/startup_pri_$$
	#
	# get items that dont have the proper attributes
	#
	echo "#!/bin/sh" > /tmp/startup_no_pri_$$
	sed -e 's/ file /~/' -e 's/ attribute /~/' /tmp/errs_$$ |
	/bin/awk -F '~' '{printf("\""$2"\" &\n")}' >> /tmp/startup_no_pri_$$
	#
	# Change permission
	#
	/bin/chmod a+x /tmp/startup_pri_$$
	/bin/chmod a+x /tmp/startup_no_pri_$$
	#
	# Execute files in background
	#
	/tmp/startup_pri_$$
	/bin/sleep 1
	/tmp/startup_no_pri_$$
	#
	# Clean up files
	#
	/bin/rm -f /tmp/startup_pri_$$
	/bin/rm -f /tmp/startup_no_pri_$$
	/bin/rm -f /tmp/errs_$$
fi
#)SECTION";

// Characters that the unquoted assignment "startup_folder=<path>" carries
// as they are. Bytes from 0x80 up (UTF-8 names) are plain characters to
// the shell too.
bool IsPlainShellCharacter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || std::strchr("/._-+,@%:=", c) != nullptr || c >= 0x80;
}

} // namespace


bool StartupFolderPathUsable(const char* folder)
{
    if (folder == nullptr || *folder == '\0')
        return false;
    for (const char* c = folder; *c != '\0'; c++) {
        if (!IsPlainShellCharacter((unsigned char)*c))
            return false;
    }
    return true;
}


std::string StartupSectionText(const char* folder)
{
    if (!StartupFolderPathUsable(folder))
        return std::string();
    std::string text = kSectionHead;
    text += folder;
    text += kSectionTail;
    return text;
}


size_t StartupSectionRoom(const char* folder)
{
    return kStartupSectionLength + (folder != nullptr ? std::strlen(folder) : 0) + 1;
}
