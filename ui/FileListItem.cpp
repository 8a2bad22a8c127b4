#include "FileListItem.h"

#include <Entry.h>
#include <LibEntryUtils.h>
#include <LibFileUtils.h>
#include <Message.h>
#include <Roster.h>
#include <View.h>

#include <cstring>
#include <string>

#include <unistd.h>

namespace {

const BRect kIconFrame(0, 0, 15, 15);

float TextLeft(bool indented)
{
    return indented ? 16 : 3;
}

} // namespace

FileListItem::FileListItem(const bool& indented, const bool& showFullPath)
    :
    BListItem(0, true),
    fShowFullPath(showFullPath),
    fIndented(indented),
    fIcon(new LibBitmap(kIconFrame, B_CMAP8)),
    fFileType(FileType(0)),
    fTruncateMode(0)
{
    SetHeight(kHeight);
}

FileListItem::FileListItem(const char* path, const bool& indented, const bool& showFullPath)
    :
    FileListItem(indented, showFullPath)
{
    SetPath(path);
}

FileListItem::FileListItem(const FileListItem& other, const bool& indented)
    :
    FileListItem(indented, other.fShowFullPath)
{
    fFileType = other.fFileType;
    fPath = other.fPath;
    if (other.fIcon->BitsLength() == fIcon->BitsLength())
        std::memcpy(fIcon->Bits(), other.fIcon->Bits(), size_t(fIcon->BitsLength()));
    SetDisplayText();
}

FileListItem::~FileListItem()
{
}

void FileListItem::SetPath(const char* path)
{
    if (path == nullptr)
        return;
    fIcon->SetTo(path, B_MINI_ICON);
    fPath.SetTo(path);
    SetDisplayText();
}

void FileListItem::SetShowFullPath(const bool& show)
{
    fShowFullPath = show;
    SetDisplayText();
}

void FileListItem::SetTruncateMode(const uint32& mode)
{
    fTruncateMode = mode;
    SetDisplayText();
}

void FileListItem::SetType(const FileType& type)
{
    fFileType = type;
}

void FileListItem::SetDisplayText()
{
    const char* text = fShowFullPath ? fPath.Path() : fPath.Leaf();
    fDisplayText = text != nullptr ? text : "";
}

bool FileListItem::Execute()
{
    entry_ref ref;
    if (fPath.Path() == nullptr || get_ref_for_path(fPath.Path(), &ref) != B_OK)
        return false;
    // Programs are started; documents go to the desktop's opener, which
    // picks their preferred application.
    BEntry entry(&ref, true);
    if (entry.IsFile() && access(fPath.Path(), X_OK) == 0)
        return BRoster().Launch(&ref) == B_OK;
    return LibOpenEntry(fPath.Path());
}

void FileListItem::Update(BView* owner, const BFont* font)
{
    SetHeight(kHeight);
    if (fTruncateMode == 0 || owner == nullptr || font == nullptr)
        return;
    const float width = owner->Frame().Width() - TextLeft(fIndented) - 14 - 7;
    std::string text = static_cast<const char*>(fDisplayText);
    font->TruncateString(&text, fTruncateMode, width);
    fDisplayText = text.c_str();
}

void FileListItem::DrawItem(BView* owner, BRect frame, bool)
{
    const float left = TextLeft(fIndented);
    owner->PushState();
    // A selected row stands out at least 3:1 from the list's background.
    const rgb_color background = owner->ViewColor();
    owner->SetHighColor(IsSelected() ? list_selection_color(background) : background);
    owner->FillRect(frame);
    owner->SetHighColor(0, 0, 0);
    owner->SetDrawingMode(B_OP_OVER);
    owner->DrawBitmap(fIcon.get(), BPoint(left - 1, frame.top + 1));
    owner->DrawString(fDisplayText, BPoint(left + 21, frame.bottom - 4));
    owner->PopState();
}

void FileListItem::Write(BMessage& message)
{
    const char* path = fPath.Path() != nullptr ? fPath.Path() : "";
    message.AddString("file_name", path);
    message.AddInt8("file_type", int8(fFileType & 0xff));
    message.AddInt32("file_size", LibEntrySize(path, true));
    BEntry entry(path, true);
    time_t created = 0;
    time_t modified = 0;
    time_t accessed = 0;
    entry.GetCreationTime(&created);
    entry.GetModificationTime(&modified);
    entry.GetAccessTime(&accessed);
    message.AddInt64("file_creation", int64(created));
    message.AddInt64("file_modified", int64(modified));
    message.AddInt64("file_accessed", int64(accessed));
    BMessage icon;
    if (fIcon->Archive(&icon, true) == B_OK)
        message.AddMessage("file_icon", &icon);
}

void FileListItem::Read(BMessage& message)
{
    const char* path = nullptr;
    if (message.FindString("file_name", &path) == B_OK && path != nullptr)
        fPath.SetTo(path);
    int8 type = 0;
    if (message.FindInt8("file_type", &type) == B_OK)
        fFileType = FileType(type);
    BMessage archive;
    if (message.FindMessage("file_icon", &archive) == B_OK) {
        auto icon = std::make_unique<LibBitmap>(&archive);
        // A damaged archive must not leave the item without a 16 x 16 icon.
        if (icon->InitCheck() == B_OK && icon->Bounds() == kIconFrame)
            fIcon = std::move(icon);
    }
    SetDisplayText();
}
