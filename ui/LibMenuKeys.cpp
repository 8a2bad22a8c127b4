#include <LibMenuKeys.h>

bool LibIsMenuKey(char key)
{
    return key == kLibMenuKeyHome || key == kLibMenuKeyEnd || key == kLibMenuKeyUp
        || key == kLibMenuKeyDown;
}

int32 LibMenuStep(const std::vector<bool>& skipped, int32 marked, char key)
{
    const int32 count = int32(skipped.size());
    if (!LibIsMenuKey(key) || marked < 0 || marked >= count)
        return -1;
    int32 index = marked;
    // Each pass moves once; at most every item is visited before giving up
    // on a menu of skipped items alone.
    for (int32 pass = 0; pass <= count; ++pass) {
        switch (key) {
            case kLibMenuKeyUp: index -= 1; break;
            case kLibMenuKeyDown: index += 1; break;
            case kLibMenuKeyHome: index = 0; break;
            case kLibMenuKeyEnd: index = count - 1; break;
        }
        if (index < 0)
            index = count - 1;
        else if (index >= count)
            index = 0;
        if (!skipped[size_t(index)])
            return index;
        // From a skipped item at the start (or end) Home (or End) carries
        // on item by item towards the other end.
        if (key == kLibMenuKeyHome)
            key = kLibMenuKeyDown;
        else if (key == kLibMenuKeyEnd)
            key = kLibMenuKeyUp;
    }
    return -1;
}
