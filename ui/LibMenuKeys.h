// Keyboard navigation of a pop-up menu field without opening the menu: the
// arrow keys step through the items, Home and End jump to the first and
// last, skipping items that cannot be chosen (separators, disabled items),
// and the selection wraps around.
#pragma once

#include <SupportDefs.h>

#include <vector>

// The key bytes that navigate (the platform's B_HOME, B_END, B_UP_ARROW
// and B_DOWN_ARROW).
enum : char {
    kLibMenuKeyHome = 0x01,
    kLibMenuKeyEnd = 0x04,
    kLibMenuKeyUp = 0x1e,
    kLibMenuKeyDown = 0x1f
};

bool LibIsMenuKey(char key);

// One navigation step over items, given for each whether it is skipped:
// the index that key moves the mark to from the marked index, or -1 when
// nothing is marked, key does not navigate, or every other item is skipped.
int32 LibMenuStep(const std::vector<bool>& skipped, int32 marked, char key);
