#include <EntryList.h>

BEntryList::BEntryList() = default;

BEntryList::~BEntryList() = default;
