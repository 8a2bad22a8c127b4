#include "InstallerWin.h"

#include "BackgroundView.h"
#include "FolderButtonBits.h"
#include "GroupHighlight.h"
#include "InstallImage.h"
#include "InstallListItem.h"
#include "InstallProgressView.h"

#include <Alert.h>
#include <AppPath.h>
#include <Application.h>
#include <Box.h>
#include <Button.h>
#include <ConfigFields.h>
#include <Directory.h>
#include <Entry.h>
#include <FindDirectory.h>
#include <Font.h>
#include <LibAlert.h>
#include <LibAppResource.h>
#include <LibConversions.h>
#include <LibEntryUtils.h>
#include <LibFilePanel.h>
#include <LibListView.h>
#include <LibPictureButton.h>
#include <LibPanelColor.h>
#include <LibStringView.h>
#include <LibSystem.h>
#include <LibThread.h>
#include <LibVolumeMenu.h>
#include <ListView.h>
#include <Messenger.h>
#include <NodeMonitor.h>
#include <Path.h>
#include <QtAlertPresenter.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <StringView.h>
#include <TextView.h>
#include <Volume.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kChooseText = "Select destination folder and press Install";
const int32 kJobPriority = 10;

// L(x, y, w, h): the rectangle from (x, y) to (x + w, y + h).
BRect L(float x, float y, float w, float h)
{
    return BRect(x, y, x + w, y + h);
}

std::string ProgramName()
{
    std::string path;
    if (get_app_path(&path) != B_OK || path.empty())
        return "Ondelle";
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

BStringView* BoldLabel(BRect frame, const char* name, const char* text)
{
    BStringView* view = new BStringView(frame, name, text);
    view->SetFont(be_bold_font);
    return view;
}

} // namespace


InstallerWin::InstallerWin()
    : LibWindow(BRect(0, 0, 455, 257), ProgramName().c_str(), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
        B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE)
{
    SetName("InstallerWin");
    _BuildViews();
    fVolumeWatch.StartWatching(BMessenger(this));
    GetVolumes();
    GetHomeDirectory();
    // The keyboard does not close the installer.
    RemoveShortcut('w', B_COMMAND_KEY);
}


InstallerWin::~InstallerWin()
{
    fVolumeWatch.StopWatching();
    // List views do not own their entries; the window does. The lists send
    // no selection messages while they are emptied: each would list every
    // entry still selected, which makes emptying a long list quadratic.
    for (BListView* list : {static_cast<BListView*>(fTypeList), fItemList}) {
        if (list == nullptr)
            continue;
        list->SetSelectionMessage(nullptr);
        for (int32 i = list->CountItems() - 1; i >= 0; i--)
            delete list->RemoveItem(i);
    }
}


void InstallerWin::_BuildViews()
{
    const BRect bounds = Bounds();
    BackgroundView* background = new BackgroundView(bounds);
    AddChild(background);

    fImage = new InstallImage(BPoint(10, 16), false);
    background->AddChild(fImage);
    const BRect image = fImage->Frame();

    const BRect boxFrame(image.right + 5, 10, bounds.right - 10, image.bottom);
    fLicenseBox = new BBox(boxFrame, "license_box");
    fLicenseBox->SetLabel("License");
    background->AddChild(fLicenseBox);

    BRect textFrame = fLicenseBox->Bounds();
    textFrame.InsetBy(10, 10);
    textFrame.top += 5;
    textFrame.bottom -= 15;
    BRect textRect = textFrame;
    textRect.OffsetTo(0, 0);
    textRect.InsetBy(2, 2);
    // Navigable, though neither editable nor selectable: the keyboard
    // reaches the license to scroll it.
    fLicenseText = new BTextView(textFrame, "license_text", textRect, B_FOLLOW_LEFT | B_FOLLOW_TOP,
        B_WILL_DRAW | B_NAVIGABLE);
    fLicenseText->MakeEditable(false);
    fLicenseText->MakeSelectable(false);
    BFont plain(be_plain_font);
    plain.SetSize(10);
    fLicenseText->SetFont(&plain);
    fLicenseBox->AddChild(new BScrollView("license_view", fLicenseText, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0, false,
        true, B_FANCY_BORDER));

    fInstallBox = new BBox(boxFrame, "install_box");
    fInstallBox->SetLabel("Installation");
    background->AddChild(fInstallBox);
    fInstallBox->Hide();

    BStringView* typeLabel = BoldLabel(L(10, 15, 60, 15), "install_type_label", "Groups");
    fInstallBox->AddChild(typeLabel);
    const BRect typeFrame = L(10, typeLabel->Frame().bottom + 3, 70, 107);
    fTypeList = new LibListView(typeFrame, "install_type");
    fTypeList->SetHoverCommand(kShowGroupDescription);
    fTypeList->SetSelectionMessage(new BMessage(kTypeSelected));
    BScrollView* typeScroll = new BScrollView("install_type_scroll", fTypeList, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0,
        false, true);
    fInstallBox->AddChild(typeScroll);

    const float itemsLeft = typeFrame.right + 30;
    BStringView* fileLabel = BoldLabel(L(itemsLeft, 15, 50, 15), "file_label", "Files");
    fInstallBox->AddChild(fileLabel);
    fItemList = new BListView(L(itemsLeft, fileLabel->Frame().bottom + 3, 153, 107), "custom_list",
        B_MULTIPLE_SELECTION_LIST, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW | B_NAVIGABLE);
    fItemList->SetSelectionMessage(new BMessage(kItemSelected));
    BScrollView* itemScroll = new BScrollView("custom_scroll_view", fItemList, B_FOLLOW_LEFT | B_FOLLOW_TOP, 0,
        false, true);
    fInstallBox->AddChild(itemScroll);
    const BRect items = itemScroll->Frame();

    fInstallSize = new BStringView(BRect(items.right - 70, fileLabel->Frame().top, items.right,
        fileLabel->Frame().bottom), "install_size", "0 bytes");
    fInstallSize->SetAlignment(B_ALIGN_RIGHT);
    fInstallBox->AddChild(fInstallSize);

    // The free-space line shares the volume menu's row; it goes in first
    // so that the menu is drawn over its empty part.
    fVolumeSize = new BStringView(BRect(10 + 24, items.bottom + 4, items.right,
        items.bottom + 25), "volume_size", "0 bytes");
    fVolumeSize->SetAlignment(B_ALIGN_RIGHT);
    fInstallBox->AddChild(fVolumeSize);

    fVolumeMenu = new LibVolumeMenu(BPoint(10, items.bottom + 4), "volume", kVolumeSelected, 60);
    fInstallBox->AddChild(fVolumeMenu);
    const float menuBottom = fVolumeMenu->Frame().bottom;

    const FolderButtonBits folderBits;
    fFolderButton = new LibPictureButton(BPoint(10, menuBottom + 4), FolderButtonBits::kSize,
        FolderButtonBits::kSize, "folder", folderBits.Up(), folderBits.Down(), kOpenFolderPanel,
        folderBits.DisabledUp());
    fFolderButton->AddTip('stip', "Change destination folder");
    fInstallBox->AddChild(fFolderButton);

    fDestination = new LibStringView(L(35, menuBottom + 9, 240, 15), "destination", "none choosen");
    fInstallBox->AddChild(fDestination);

    // Who signed the build, at the foot of the license box: the first page,
    // shown to every user before anything can be installed. The
    // installation box has no free row for it.
    const BRect licenseBounds = fLicenseBox->Bounds();
    fLicenseSignature = new BStringView(L(10, licenseBounds.bottom - 20, licenseBounds.Width() - 20, 14),
        "license_signature", "");
    fLicenseSignature->SetFont(&plain);
    fLicenseBox->AddChild(fLicenseSignature);

    BBox* instructionBox = new BBox(L(10, image.bottom + 9, 340, 25), "inst_box");
    background->AddChild(instructionBox);
    fInstruction = new BStringView(L(10, 6, 230, 15), "instruction", "Read license and select Agree button");
    instructionBox->AddChild(fInstruction);
    // The bytes done of a running install, in the free end of the
    // instruction box right of the status line; hidden in the other states.
    fProgress = new InstallProgressView(L(245, 7, 87, 11));
    instructionBox->AddChild(fProgress);
    fProgress->Hide();

    const BRect instruction = instructionBox->Frame();
    fButton = new BButton(L(instruction.right + 10, instruction.top - 2, 80, 20), "button", "Agree",
        new BMessage(kMainButton));
    background->AddChild(fButton);
    SetDefaultButton(fButton);
    LibAdoptPanelColor(background);
    _DescribeViews();
}


void InstallerWin::_DescribeViews()
{
    struct Description {
        const char* view;
        const char* name;  // null: the label or text the view shows
        const char* description;
    };
    static const Description kDescriptions[] = {
        {"bgview", "Installer", nullptr},
        {"InstallImage", "About", "The product's picture or its name, version, date, company and support address"},
        {"license_view", "License", nullptr},
        {"license_text", "License", "The license text; read it, then press Agree"},
        {"install_type_scroll", "Groups", nullptr},
        {"install_type", "Groups", "Install groups; choosing one selects its files"},
        {"custom_scroll_view", "Files", nullptr},
        {"custom_list", "Files", "The items to install; select those you want"},
        {"install_size", "Size of the selection", "Total size of the selected items"},
        {"folder", "Change destination folder", nullptr},
        {"volume_size", "Free space", "Free space on the chosen volume"},
        {"destination", "Destination folder", "Where the product is installed"},
        {"license_signature", "Signature", "Who signed the installer, and the fingerprint of their key"},
        {"inst_box", "Instructions", nullptr},
        {"instruction", nullptr, "What to do next, and while installing what is being done"},
        {"install_progress", "Progress", "How much of the install is done"},
        {"button", nullptr, "Agree to the license, then install; Stop ends a running install"},
    };
    for (const Description& entry : kDescriptions) {
        BView* view = FindView(entry.view);
        if (view == nullptr)
            continue;
        if (entry.name != nullptr)
            view->SetAccessibleName(entry.name);
        if (entry.description != nullptr)
            view->SetAccessibleDescription(entry.description);
    }
}


bool InstallerWin::LoadResources()
{
    std::string path;
    get_app_path(&path);
    return LoadResources(path.c_str());
}


void InstallerWin::SetSignatureText(const char* text, std::shared_ptr<const BuildManifest> manifest)
{
    if (!Lock())
        return;
    fLicenseSignature->SetText(text);
    fConfig.SetManifest(std::move(manifest));
    Unlock();
}


bool InstallerWin::LoadResources(const char* path)
{
    bool loaded = false;
    {
        LibAppResource resources(path, B_READ_ONLY);
        fConfig.MakeEmpty();
        size_t size = 0;
        const void* data = resources.InitCheck() == B_OK
            ? resources.LoadResource(kConfigResourceType, kConfigResourceId, &size) : nullptr;
        if (resources.InitCheck() != B_OK || !resources.HasResource(kConfigResourceType, kConfigResourceId))
            std::fprintf(stderr, "Does not have resource %d\n", int(kConfigResourceId));
        else if (data == nullptr)
            std::fprintf(stderr, "Unable to read resource %d\n", int(kConfigResourceId));
        else
            loaded = fConfig.Unflatten(static_cast<const char*>(data), ssize_t(size)) == B_OK;
    }
    if (!loaded) {
        LibError("Error obtaining configuration in installer. The installer was improperly built.");
        if (be_app != nullptr)
            be_app->PostMessage(B_QUIT_REQUESTED);
        return false;
    }
    fConfig.SetResourcePath(path);

    if (!Lock())
        return false;
    if (const BMessage* about = fConfig.AboutImage()) {
        BMessage archive(*about);
        fImage->SetImage(archive);
    }
    // The title is the product's name; the window keeps its own name, by
    // which help and driving scripts know it.
    if (fConfig.AppName() != nullptr && fConfig.AppName()[0] != '\0') {
        SetTitle(fConfig.AppName());
        SetName("InstallerWin");
    }
    fImage->SetAppName(fConfig.AppName());
    fImage->SetVersion(fConfig.Version());
    fImage->SetDate(fConfig.ReleaseDate());
    fImage->SetCompany(fConfig.Company());
    fImage->SetEmail(fConfig.SupportEmail());

    fLicenseText->SetText(fConfig.HasLicense() ? fConfig.License() : "");
    if (fLicenseText->TextLength() == 0)
        ButtonPressed();

    const BMessage* groups = fConfig.Groups();
    const char* name = nullptr;
    for (int32 i = 0; groups != nullptr && groups->FindString("group_name", i, &name) == B_OK; i++)
        AddGroup(name);
    if (fTypeList->CountItems() > 0)
        fTypeList->Select(0, false);

    // The entries read the item messages in place: a copy of each costs a
    // quarter of the filling time with thousands of items. Reading changes
    // nothing in them.
    BMessage* instructions = fConfig.EditMessagePointer(kFieldInstallInstructions);
    for (int32 i = 0; i < fConfig.CountInstallItems(); i++) {
        InstallListItem* item = new InstallListItem(false);
        if (BMessage* message = instructions != nullptr ? instructions->EditMessagePointer(kFieldInstallFile, i)
                                                        : nullptr)
            item->Read(*message);
        fItemList->AddItem(item);
    }

    if (fConfig.HasOptDefaultFolder()) {
        BPath folder;
        if (fConfig.DefaultFolderIsCurrent()) {
            LibGetWorkingDirectory(folder);
        } else {
            // A standard folder that a new account does not have yet is
            // shown but made only when the install starts: the user may
            // choose another one, and nothing is made before a choice.
            directory_which which = B_USER_DIRECTORY;
            if (LibGetStdDirName(fConfig.OptDefaultFolder(), which)
                && find_directory(which, &folder, false) == B_OK && folder.Path() != nullptr
                && !BEntry(folder.Path()).Exists()) {
                fPendingFolder = folder.Path();
                fPendingWhich = which;
                folder.Unset();
            }
        }
        entry_ref ref;
        if (folder.Path() != nullptr && LibGetEntryRef(folder.Path(), ref))
            fConfig.SetDestination(ref);
    }

    fVolumeMenu->AllowRemovable(fConfig.ReqRemovableVolOk());
    fVolumeMenu->AllowShared(fConfig.ReqSharedVolOk());
    fVolumeMenu->Update();

    InstallTypeSelected();
    SetDestinationPath();

    if (const BMessage* audio = fConfig.AudioData()) {
        BMessage sound(*audio);
        sound.what = 2200;
        if (be_app != nullptr)
            be_app->PostMessage(&sound);
    }
    Unlock();
    return true;
}


void InstallerWin::_SetState(State state)
{
    fState = state;
    fFinished = false;
    const bool choosing = state != kInstalling;
    fFolderButton->SetEnabled(choosing);
    fVolumeMenu->SetEnabled(choosing);
    fButton->SetLabel(state == kLicense ? "Agree" : state == kChoosing ? "Install" : "Stop");
    if (state == kChoosing)
        fInstruction->SetText(kChooseText);
    if (state == kInstalling) {
        fProgress->Reset();
        if (fProgress->IsHidden())
            fProgress->Show();
    } else if (!fProgress->IsHidden()) {
        fProgress->Hide();
    }
}


void InstallerWin::ButtonPressed()
{
    switch (fState) {
        case kLicense:
            fLicenseBox->Hide();
            fInstallBox->Show();
            _SetState(kChoosing);
            CheckDestinationFolder(false);
            break;
        case kChoosing:
            _SetState(kInstalling);
            Install();
            break;
        default:
            // Once the job has done its work the button quits: there is
            // nothing left to stop.
            if (!fFinished && fConfig.Status() != 0 && !fConfig.JobFinished()) {
                // A stop takes back what was installed unless the user keeps
                // it; "Stop" stays the default.
                BAlert question("", "Stop the installation?\n\nStopping takes back everything installed so "
                    "far and leaves your computer as it was. You may keep what is installed already instead.",
                    "Keep Installed Part", "Continue", "Stop", B_WIDTH_AS_USUAL, B_WARNING_ALERT);
                question.SetKind("stop");
                const int32 answer = question.Go();
                if (answer == 1)
                    break;
                fConfig.SetKeepOnStop(answer == 0);
            }
            _RequestQuit(fFinished ? "finished" : "stop");
            break;
    }
}


bool InstallerWin::_MakePendingFolder()
{
    if (fPendingFolder.empty())
        return true;
    BPath made;
    entry_ref ref;
    errno = 0;
    const status_t status = find_directory(fPendingWhich, &made, true);
    if (status != B_OK || made.Path() == nullptr || !LibGetEntryRef(made.Path(), ref)) {
        LibError("Unable to create the destination folder '%s' (%s).", fPendingFolder.c_str(),
            std::strerror(errno != 0 ? errno : EIO));
        return false;
    }
    fConfig.SetDestination(ref);
    fPendingFolder.clear();
    return true;
}


void InstallerWin::Install()
{
    if (!_MakePendingFolder()) {
        _SetState(kChoosing);
        return;
    }
    if (Lock()) {
        const int32 count = fItemList->CountItems();
        for (int32 i = 0; i < count && i < fConfig.CountInstallItems(); i++)
            fConfig.MarkInstallItem(i, fItemList->IsItemSelected(i));
        Unlock();
    }
    // The job's thread takes the messenger over.
    if (fConfig.Go("install", new BMessenger(this), kJobPriority, false) != B_OK) {
        LibError("The installation could not be started.");
        _SetState(kChoosing);
    }
}


void InstallerWin::ThreadChange(BMessage* message)
{
    const char* name = nullptr;
    if (message->FindString("name", &name) != B_OK || name == nullptr || std::string(name) != "install")
        return;
    int32 status = -1;
    message->FindInt32("status", &status);
    if (status == 0) {
        if (fConfig.RestartRequested())
            LibShutdown(true);
        _RequestQuit("finished");
        return;
    }
    // The job stopped early and told the user why: the choice stays and can
    // be changed and installed again.
    if (Lock()) {
        _SetState(kChoosing);
        Unlock();
    }
}


void InstallerWin::InstallTypeSelected()
{
    if (!Lock())
        return;
    fItemList->SetSelectionMessage(nullptr);
    const int32 selected = fTypeList->CurrentSelection();
    if (selected >= 0) {
        const char* group = static_cast<BStringItem*>(fTypeList->ItemAt(selected))->Text();
        for (int32 i = 0; i < fItemList->CountItems(); i++) {
            auto* item = static_cast<InstallListItem*>(fItemList->ItemAt(i));
            if (!item->InList(group))
                fItemList->Deselect(i);
            else if (!fItemList->IsItemSelected(i))
                fItemList->Select(i, true);
        }
    } else if (fTypeList->CountItems() > 0) {
        fTypeList->Select(0, false);
    }
    fItemList->SetSelectionMessage(new BMessage(kItemSelected));
    Unlock();
    CustomItemSelected();
}


void InstallerWin::ShowGroupDescription(const int32& index)
{
    if (be_app == nullptr)
        return;
    if (index < 0) {
        BMessage hide('stip');
        hide.AddBool("show", false);
        be_app->PostMessage(&hide);
        return;
    }
    const BMessage* groups = fConfig.Groups();
    const char* name = nullptr;
    if (groups == nullptr || groups->FindString("group_name", index, &name) != B_OK)
        return;
    const char* description = nullptr;
    if (groups->FindString("group_description", index, &description) != B_OK || description == nullptr
        || description[0] == '\0') {
        BMessage empty('stip');
        be_app->PostMessage(&empty);
        return;
    }

    // The tip sits right of the list, level with the entry under the pointer.
    const BRect list = fTypeList->Frame();
    const BRect scroll = fTypeList->Parent() != nullptr ? fTypeList->Parent()->Frame() : list;
    const BRect entry = fTypeList->ItemFrame(index);
    BPoint where(scroll.left + 99 + (list.right - list.left) + list.right, entry.top + 42 + list.top);
    if (BScrollBar* bar = fTypeList->ScrollBar(B_VERTICAL))
        where.y -= bar->Value();
    ConvertToScreen(&where);

    // Shown a quarter second per character, counting UTF-8 sequences once.
    int32 characters = 0;
    for (const char* c = description; *c != '\0'; c++) {
        if ((static_cast<unsigned char>(*c) & 0xC0) != 0x80)
            characters++;
    }
    BMessage tip('stip');
    tip.AddBool("show", true);
    tip.AddInt16("sdelay", 0);
    tip.AddInt16("edelay", int16(std::ceil(characters * 0.25)));
    tip.AddPoint("loc", where);
    tip.AddInt32("width", 160);
    tip.AddString("tip", description);
    be_app->PostMessage(&tip);
}


void InstallerWin::CustomItemSelected()
{
    if (!Lock())
        return;
    // Each size is a 32-bit byte count; their sum is kept in 64 bits, as a
    // selection of several large items passes 4 GiB.
    uint64 total = fConfig.HasDeinstallerSize() ? uint32(fConfig.DeinstallerSize()) : 0;
    int32 count = 0;
    for (int32 i = 0; i < fItemList->CountItems(); i++) {
        if (!fItemList->IsItemSelected(i))
            continue;
        count++;
        total += uint32(static_cast<InstallListItem*>(fItemList->ItemAt(i))->Size());
    }
    LibString text;
    LibBytesToString(total, text, 1);
    fInstallSize->SetText(text);
    fButton->SetEnabled(count > 0);
    GroupHighlight::Follow(fTypeList, fItemList);
    Unlock();
}


bool InstallerWin::CheckDestinationFolder(bool ask)
{
    // A folder still to be made holds nothing.
    if (!fPendingFolder.empty() || !fConfig.DoesDestinationExist())
        return true;
    // The leftover of an install that was killed is taken back when the
    // install starts: it is no earlier installation to ask about.
    if (fConfig.HasInterruptedInstall())
        return true;
    std::string text = std::string("The folder '") + fConfig.OptCreatedFolder()
        + "' already exists in the destination folder.";
    BAlert alert("", "", "OK");
    if (ask) {
        text += "\nDo you wish to replace?";
        alert = BAlert("", text.c_str(), "Cancel", "Replace", nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
    } else {
        alert = BAlert("", text.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
    }
    return alert.Go() == 1;
}


void InstallerWin::InitFolderPanel()
{
    if (fFolderPanel != nullptr)
        return;
    BMessenger target(this);
    fFolderPanel = std::make_unique<LibFilePanel>(B_OPEN_PANEL, &target, kDestinationChosen, B_DIRECTORY_NODE,
        false);
    fFolderPanel->Filter().AddType("application/x-vnd.Be-directory");
    fFolderPanel->Filter().AddType("application/x-vnd.Be-volume");
}


void InstallerWin::SelectDestination()
{
    const entry_ref previous = fConfig.Destination();
    entry_ref chosen;
    fFolderPanel->Rewind();
    if (fFolderPanel->GetNextSelectedRef(&chosen) != B_OK) {
        fFolderPanel->Hide();
        return;
    }
    fConfig.SetDestination(chosen);
    std::string pending;
    pending.swap(fPendingFolder);
    if (CheckDestinationFolder(true)) {
        SetDestinationPath();
        fFolderPanel->Hide();
    } else {
        fConfig.SetDestination(previous);
        fPendingFolder.swap(pending);
    }
}


namespace {

// The device of the entry at path; -1 when it cannot be read.
dev_t DeviceOf(const char* path)
{
    struct stat st;
    return path != nullptr && stat(path, &st) == 0 ? st.st_dev : dev_t(-1);
}

// The longest leading part of path that exists ("/" at the least).
std::string ExistingPart(std::string path)
{
    struct stat st;
    while (path.size() > 1 && stat(path.c_str(), &st) != 0) {
        const size_t slash = path.rfind('/');
        path = slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    return path;
}

bool IsWritableFolder(const char* path)
{
    struct stat st;
    return path != nullptr && stat(path, &st) == 0 && S_ISDIR(st.st_mode) && access(path, W_OK | X_OK) == 0;
}

} // namespace


void InstallerWin::GetHomeDirectory()
{
    BVolume volume;
    if (!fVolumeMenu->GetCurrentVolume(volume))
        return;

    // A chosen folder on the volume stays (choosing the disk it is on
    // changes nothing). Else the volume's home folder: on the boot volume
    // the user's home, elsewhere the volume's "home" when the user can
    // write there; else the working folder when it lies on the volume,
    // else the volume's root when the user can write there. A volume with
    // no folder the user can write leaves the destination as it was.
    BPath chosen;
    const bool keep = fPendingFolder.empty()
        ? LibGetFullPath(fConfig.Destination(), chosen) && DeviceOf(chosen.Path()) == volume.Device()
        : DeviceOf(ExistingPart(fPendingFolder).c_str()) == volume.Device();
    if (!keep) {
        fPendingFolder.clear();
        BPath home;
        BPath working;
        BPath root;
        BDirectory rootFolder;
        BEntry rootEntry;
        if (volume.GetRootDirectory(&rootFolder) == B_OK && rootFolder.GetEntry(&rootEntry) == B_OK)
            rootEntry.GetPath(&root);
        LibGetWorkingDirectory(working);
        std::string folder;
        if (find_directory(B_USER_DIRECTORY, &home, false, &volume) == B_OK && IsWritableFolder(home.Path())
            && DeviceOf(home.Path()) == volume.Device())
            folder = home.Path();
        else if (DeviceOf(working.Path()) == volume.Device() && IsWritableFolder(working.Path()))
            folder = working.Path();
        else if (IsWritableFolder(root.Path()))
            folder = root.Path();
        entry_ref ref;
        if (!folder.empty() && LibGetEntryRef(folder.c_str(), ref))
            fConfig.SetDestination(ref);
    }
    SetDestinationPath();
    // Free space in 64 bits: volumes hold far more than 4 GiB.
    const off_t freeBytes = volume.FreeBytes();
    LibString free;
    LibBytesToString(freeBytes > 0 ? uint64(freeBytes) : 0, free, 1);
    fVolumeSize->SetText(free);
}


void InstallerWin::SelectVolume()
{
    GetHomeDirectory();
    CheckDestinationFolder(false);
}


void InstallerWin::GetVolumes()
{
    if (Lock()) {
        fVolumeMenu->Update();
        Unlock();
    }
}


void InstallerWin::SetDestinationPath()
{
    if (!Lock())
        return;
    LibString path;
    if (!fPendingFolder.empty())
        fDestination->SetTruncatedText(fPendingFolder.c_str(), B_TRUNCATE_BEGINNING);
    else if (LibGetFullPath(fConfig.Destination(), path))
        fDestination->SetTruncatedText(path, B_TRUNCATE_BEGINNING);
    Unlock();
}


void InstallerWin::AddGroup(const char* name)
{
    fTypeList->AddItem(new BStringItem(name));
}


bool InstallerWin::QuitRunning(const char* cause)
{
    const std::string why = cause != nullptr ? cause : "session";
    if (fConfig.Status() == 0)
        return true;
    const char* reason = why == "stop" ? "stopped by the user"
        : why == "window" ? "the window was closed"
        : why == "signal" ? "the program was asked to end"
        : "the session ended";
    // A job that has done its work is never stopped (StopJob() says so).
    std::string what;
    const bool stopped = fConfig.StopJob(reason, what);
    // A question the job is asking now is closed with the answer that
    // loses nothing, and so is every later one: nothing is left on screen
    // under the notice below, and an ending program waits for no answer.
    if (auto* presenter = dynamic_cast<QtAlertPresenter*>(alert_presenter()))
        presenter->BeginClosing();
    if (stopped) {
        fJobStopped = true;
        std::fprintf(stderr, "Installation was stopped before it could complete.\n%s (Cause: %s.)\n",
            what.c_str(), reason);
        // Only the user who pressed Stop is there to read it.
        if (why == "stop")
            LibError("Installation was stopped before it could complete.\n\n%s", what.c_str());
        return true;
    }
    if (why == "stop")
        LibInfo("%s", what.c_str());
    // Finished: once Action() has returned only its end message is left to
    // go; before that the job's end message brings the quit back.
    if (fConfig.ActionDone()) {
        fConfig.WaitForEnd();
        return true;
    }
    return false;
}


void InstallerWin::_RequestQuit(const char* cause)
{
    if (be_app == nullptr)
        return;
    BMessage quit(B_QUIT_REQUESTED);
    quit.AddString("cause", cause);
    be_app->PostMessage(&quit);
}


bool InstallerWin::QuitRequested()
{
    // The application decides: it stops a running job first and then
    // closes this window. Closing it here would free the configuration
    // under the running job and leave the application a dangling window.
    if (be_app != nullptr) {
        _RequestQuit("window");
        return false;
    }
    return true;
}


void InstallerWin::MessageReceived(BMessage* message)
{
    switch (message->what) {
        case kMainButton: {
            // A press counts for the label the user saw: one made before
            // the button showed its present label (Enter pressed twice,
            // the second time before "Stop" appeared) does nothing, and
            // so does a press of Stop made before anyone could have read
            // it (Enter pressed twice, the second time just after).
            int64 when = 0;
            if (message->FindInt64("when", &when) == B_OK) {
                const bigtime_t shown = fButton->LabelShownAt();
                if (shown == 0 || when < shown)
                    break;
                if (fState == kInstalling && !fFinished && when - shown < kStopSeenAfter)
                    break;
            }
            ButtonPressed();
            break;
        }
        case kTypeSelected:
            InstallTypeSelected();
            break;
        case kShowGroupDescription: {
            int32 index = -1;
            message->FindInt32("item", &index);
            ShowGroupDescription(index);
            break;
        }
        case kOpenFolderPanel: {
            InitFolderPanel();
            // The panel shows the folder that holds the destination, with
            // the destination among its entries.
            LibString path;
            if (!fPendingFolder.empty())
                fFolderPanel->SetPanelDirectory(fPendingFolder.c_str());
            else if (LibGetFullPath(fConfig.Destination(), path))
                fFolderPanel->SetPanelDirectory(static_cast<const char*>(path));
            fFolderPanel->Show();
            break;
        }
        case kVolumeSelected:
            SelectVolume();
            break;
        case kDestinationChosen:
            SelectDestination();
            break;
        case kItemSelected:
            CustomItemSelected();
            break;
        case LIB_THREAD_COMPLETE:
            ThreadChange(message);
            break;
        case B_NODE_MONITOR: {
            int32 opcode = 0;
            if (message->FindInt32("opcode", &opcode) == B_OK
                && (opcode == B_DEVICE_MOUNTED || opcode == B_DEVICE_UNMOUNTED))
                GetVolumes();
            break;
        }
        case INSTALL_PROGRESS_UPDATE: {
            int64 done = 0;
            int64 total = 0;
            if (message->FindInt64("done", &done) == B_OK && message->FindInt64("total", &total) == B_OK)
                fProgress->SetProgress(done, total);
            break;
        }
        case 'isud': {
            const char* text = nullptr;
            if (message->FindString("message", &text) == B_OK && text != nullptr)
                fInstruction->SetText(text);
            // The last status of a job that has done its work: no Stop.
            if (fState == kInstalling && !fFinished && fConfig.JobFinished()) {
                fFinished = true;
                fButton->SetLabel("Quit");
            }
            break;
        }
        default:
            LibWindow::MessageReceived(message);
    }
}
