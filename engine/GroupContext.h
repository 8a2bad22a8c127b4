// One install group ("Typical", "Minimum", ...) offered to the user: its
// name, the identifier it got when it was added, and its description.
#pragma once

#include <LibString.h>
#include <SupportDefs.h>

class GroupContext {
public:
                        GroupContext();
    explicit            GroupContext(const char* name);
                        GroupContext(const GroupContext& other);
    virtual             ~GroupContext();

    GroupContext&       SetName(const char* name);
    GroupContext&       SetUid(const int32& uid);
    GroupContext&       SetDescription(const char* description);

    const LibString&    Name() const { return fName; }
    int32               Uid() const { return fUid; }
    const LibString&    Description() const { return fDescription; }

    GroupContext&       operator=(const GroupContext& other);
    // Groups are the same when their names are equal, letter case counting.
    bool                operator==(const GroupContext& other) const;

    void                PrintToStream() const;

private:
    LibString           fName;
    int32               fUid;
    LibString           fDescription;
};
