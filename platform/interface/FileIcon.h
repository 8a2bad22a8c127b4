// The icon the desktop shows for a file, as a bitmap: the file's own icon
// from its platform attributes ("BEOS:M:STD_ICON" 16 x 16, "BEOS:L:STD_ICON"
// 32 x 32) when it has one, else the freedesktop icon theme's icon for its
// MIME type, else a generic icon of our own for its kind (document, folder,
// application, link). An existing file never gets an empty square.
#pragma once

#include <GraphicsDefs.h>
#include <SupportDefs.h>

class BBitmap;
class BNode;

// Fills icon, a valid bitmap of size x size pixels in any colour space,
// with the node's icon. B_BAD_VALUE when the bitmap does not fit the size,
// the node's error when it is not initialised; the bitmap is then left as
// it was.
//
// The theme icon is only looked up on the GUI thread of a running Qt
// application (Qt draws icons there only); other threads get the node's
// own icon or the generic one.
status_t get_file_icon(const BNode& node, icon_size size, BBitmap* icon);
status_t get_file_icon(const char* path, icon_size size, BBitmap* icon);
