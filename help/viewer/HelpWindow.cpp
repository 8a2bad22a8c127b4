#include "HelpWindow.h"

#include "HelpContentItem.h"
#include "HelpContentList.h"
#include "HelpManager.h"

#include <Application.h>
#include <FindDirectory.h>
#include <LibAppResource.h>
#include <LibFileUtils.h>
#include <LibLayout.h>
#include <LibTextView.h>
#include <ListView.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <xmlTag.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr float kContentsWidth = 170;
constexpr float kPaneGap = 2;
constexpr float kPaneRightMargin = 14;
constexpr float kFontSize = 10;

// Removes a working folder with everything in it when the scope ends.
class FolderRemover {
public:
    explicit FolderRemover(const char* path) : fPath(path != nullptr ? path : "") {}
    ~FolderRemover()
    {
        if (!fPath.empty())
            LibUnlink(fPath.c_str());
    }
    FolderRemover(const FolderRemover&) = delete;
    FolderRemover& operator=(const FolderRemover&) = delete;

private:
    std::string fPath;
};

bool TempFolder(BPath& folder)
{
    return find_directory(B_COMMON_TEMP_DIRECTORY, &folder, true) == B_OK;
}

} // namespace

HelpWindow::HelpWindow(const char* name, HelpManager* manager, const char* programPath)
    :
    LibWindow(LibRect(0, 0, 450, 200), "Help", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_ZOOMABLE),
    fManager(manager),
    fProgramPath(programPath != nullptr ? programPath : ""),
    fList(nullptr),
    fPane(nullptr),
    fShownEntry(nullptr)
{
    SetName("HelpWindow");
    _BuildViews();
    ReadInContents(name);
}

HelpWindow::~HelpWindow()
{
    _ForgetHelpFile();
    if (fManager != nullptr)
        fManager->WindowGone(this);
}

void HelpWindow::_BuildViews()
{
    const BRect bounds = Bounds();
    BView* background = new BView(bounds, "view", B_FOLLOW_ALL, B_WILL_DRAW);
    background->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    AddChild(background);

    // The scroll views add their scroll bar to the right of their target.
    const BRect listFrame(0, 0, kContentsWidth - B_V_SCROLL_BAR_WIDTH - 1, bounds.bottom);
    fList = new HelpContentList(listFrame);
    fList->SetFontSize(kFontSize);
    fList->SetSelectionMessage(new BMessage(kContentSelected));
    BScrollView* listScroll = new BScrollView("content_scroll", fList, B_FOLLOW_LEFT | B_FOLLOW_TOP_BOTTOM, 0,
        false, true, B_PLAIN_BORDER);
    background->AddChild(listScroll);

    const float paneLeft = listScroll->Frame().right + kPaneGap;
    const float paneRight = bounds.right - kPaneRightMargin;
    const BRect paneFrame(paneLeft, 0, paneRight - B_V_SCROLL_BAR_WIDTH - 1, bounds.bottom);
    fPane = new LibTextView(paneFrame, "help_pane", 0, 0);
    fPane->SetResizingMode(B_FOLLOW_ALL);
    fPane->SetFontSize(kFontSize);
    fPane->MakeEditable(false);
    fPane->MakeSelectable(false);
    fPane->SetStylable(true);
    BScrollView* paneScroll = new BScrollView("help_scroll", fPane, B_FOLLOW_ALL, 0, false, true,
        B_PLAIN_BORDER);
    background->AddChild(paneScroll);
}

void HelpWindow::_ForgetHelpFile()
{
    fParser.Close();
    fHelpPath.Unset();
    if (!fHelpFolder.empty())
        LibUnlink(fHelpFolder.c_str());
    fHelpFolder.clear();
}

bool HelpWindow::ReadInContents(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    _ForgetHelpFile();
    fFileName = name;
    fFileName += ".help";

    // Only the program's own help is read, unpacked into a folder of this
    // window's own: a file of that name in the working folder or in the
    // shared temporary folder may be anybody's (another user's text, a FIFO
    // that would block the window for good) and is never looked at.
    BPath folder;
    if (!TempFolder(folder) || LibCreateWorkFolder(folder, kUnpackFolderPrefix) != B_OK) {
        std::fprintf(stderr, "HelpWindow: no private folder for the help file could be made\n");
        return false;
    }
    fHelpFolder = folder.Path();
    BPath path(fHelpFolder.c_str(), fFileName);
    if (path.InitCheck() != B_OK || !ExtractFromApp(path.Path())) {
        std::fprintf(stderr, "HelpWindow: the program carries no help file \"%s\"\n", (const char*)fFileName);
        _ForgetHelpFile();
        return false;
    }
    fHelpPath = path;

    const bool open = fParser.Open(path.Path());
    std::fprintf(stderr, "parser %d\n", open ? 1 : 0);
    if (!open)
        return false;
    fParser.Rewind();
    xmlTag contents;
    if (!fParser.FindTag("CONTENTS", contents))
        return false;

    if (!Lock())
        return false;
    _AddEntries(contents, nullptr);
    fList->Relist();
    Unlock();
    return true;
}

void HelpWindow::_AddEntries(xmlTag& parent, HelpContentItem* super)
{
    for (xmlTag* child = parent.Children().First(); child != nullptr; child = parent.Children().Next()) {
        auto item = std::make_unique<HelpContentItem>(child->Contents(), super);
        std::string value;
        if (child->Modifiers().FindString("PAGE", 0, &value) == B_OK)
            item->meta.AddString("PAGE", value.c_str());
        for (int32 i = 0; child->Modifiers().FindString("VIEW", i, &value) == B_OK; i++)
            item->meta.AddString("VIEW", value.c_str());
        HelpContentItem* added = item.get();
        fList->AddEntry(std::move(item));
        // The cursor of the child list is shared: the walk below uses the
        // grandchildren's own list, so this loop's position is kept.
        _AddEntries(*child, added);
    }
}

int32 HelpWindow::CountEntries() const
{
    return fList->CountEntries();
}

HelpContentItem* HelpWindow::EntryAt(int32 index) const
{
    return fList->EntryAt(index);
}

bool HelpWindow::HelpForInterface(const char* viewPath)
{
    if (!Lock())
        return false;
    int32 target = -1;
    for (int32 i = 0; i < CountEntries(); i++) {
        if (EntryAt(i)->Documents(viewPath)) {
            target = i;
            break;
        }
    }
    if (target < 0) {
        std::fprintf(stderr, "No help for %s\n", viewPath != nullptr ? viewPath : "");
        Unlock();
        return false;
    }
    bool changed = false;
    for (int32 i = 0; i <= target; i++) {
        HelpContentItem* super = EntryAt(i)->SuperItem();
        if (super != nullptr && !super->IsExpanded()) {
            super->SetExpanded(true);
            changed = true;
        }
    }
    if (changed)
        fList->Relist();
    const int32 index = fList->IndexOf(EntryAt(target));
    fList->Select(index);
    fList->ScrollToSelection();
    Unlock();
    return true;
}

void HelpWindow::HelpForContent(const char* page)
{
    if (page == nullptr || page[0] == '\0')
        return;
    if (!Lock())
        return;
    fParser.Rewind();
    xmlTag tag;
    bool shown = false;
    while (!shown && fParser.FindTag("PAGE", tag)) {
        std::string name;
        if (tag.Modifiers().FindString("NAME", 0, &name) == B_OK && name == page) {
            fPane->SetXml(tag);
            shown = true;
        }
    }
    if (!shown)
        fPane->SetText("");
    Unlock();
}

void HelpWindow::HelpForSelectedContent()
{
    if (!Lock())
        return;
    const int32 selected = fList->CurrentSelection();
    auto* item = dynamic_cast<HelpContentItem*>(selected >= 0 ? fList->ItemAt(selected) : nullptr);
    if (item == nullptr || item == fShownEntry) {
        Unlock();
        return;
    }
    fShownEntry = item;
    // Choosing an entry with sub-entries opens it, so the list can be
    // walked by selection alone.
    fList->SetEntryExpanded(item, true);
    const char* page = item->Page();
    if (page != nullptr) {
        const std::string name = page;
        HelpForContent(name.c_str());
    }
    Unlock();
}

bool HelpWindow::ExtractFromApp(const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return false;
    const BPath destination(path);
    if (destination.Leaf() == nullptr)
        return false;
    std::unique_ptr<LibAppResource> resources = (fProgramPath.Length() == 0)
        ? std::make_unique<LibAppResource>(B_READ_ONLY)
        : std::make_unique<LibAppResource>(fProgramPath, B_READ_ONLY);
    if (resources->InitCheck() != B_OK)
        return false;

    // The archive is written out and unpacked in a private folder; only its
    // entry named like the help file reaches path.
    BPath folder;
    if (!TempFolder(folder) || LibCreateWorkFolder(folder, kUnpackFolderPrefix) != B_OK)
        return false;
    const FolderRemover remover(folder.Path());
    const std::string archive = std::string(folder.Path()) + "/help.zip";
    if (!resources->ExtractEntry(HelpManager::kResourceId, archive.c_str(), false) || !LibExists(archive.c_str()))
        return false;
    const std::string contents = std::string(folder.Path()) + "/contents";
    Libmkdir(contents.c_str());
    if (!LibUnzipTo(archive.c_str(), contents.c_str()))
        return false;
    const std::string unpacked = contents + "/" + destination.Leaf();
    if (!LibExists(unpacked.c_str()))
        return false;
    return LibMove(unpacked.c_str(), path);
}

void HelpWindow::MessageReceived(BMessage* message)
{
    if (message->what == kContentSelected) {
        HelpForSelectedContent();
        return;
    }
    LibWindow::MessageReceived(message);
}

bool HelpWindow::QuitRequested()
{
    Hide();
    return be_app != nullptr && be_app->IsQuitting();
}
