// FileListItem: a list entry for a file: its 16 x 16 icon and its name or
// full path, shortened to the list's width when asked. It can open the
// file and save itself to and restore itself from a message:
//   "file_name" (string, the full path), "file_type" (int8, the caller's
//   kind), "file_size" (int32, data plus attributes, a folder's contents),
//   "file_creation", "file_modified", "file_accessed" (int64, seconds since
//   1970, links followed) and "file_icon" (the icon's bitmap archive).
// Read takes only the name, the kind and the icon, each when present.
#pragma once

#include <LibBitmap.h>
#include <LibString.h>
#include <ListItem.h>
#include <Path.h>

#include <memory>

class BMessage;

class FileListItem : public BListItem {
public:
    enum FileType : int32 {};

    // Item height, whatever the font.
    static constexpr float kHeight = 18;

    FileListItem(const bool& indented, const bool& showFullPath);
    FileListItem(const char* path, const bool& indented, const bool& showFullPath);
    FileListItem(const FileListItem& other, const bool& indented);
    virtual ~FileListItem();

    FileListItem& operator=(const FileListItem&) = delete;

    void DrawItem(BView* owner, BRect frame, bool complete = false) override;
    void Update(BView* owner, const BFont* font) override;
    virtual void Write(BMessage& message);
    virtual void Read(BMessage& message);

    void SetPath(const char* path);
    void SetShowFullPath(const bool& show);
    void SetTruncateMode(const uint32& mode);
    void SetType(const FileType& type);
    void SetDisplayText();
    // Opens the file as a double click on the desktop would. False when it
    // cannot be started.
    bool Execute();

    const BPath& Path() const { return fPath; }
    FileType Type() const { return fFileType; }
    const char* DisplayText() const { return fDisplayText; }
    // A screen reader reads the name shown.
    const char* AccessibleText() const override { return fDisplayText; }
    const LibBitmap& Icon() const { return *fIcon; }
    bool Indented() const { return fIndented; }

private:
    bool fShowFullPath;
    bool fIndented;
    std::unique_ptr<LibBitmap> fIcon;
    BPath fPath;
    FileType fFileType;
    LibString fDisplayText;
    uint32 fTruncateMode;
};
