#include "DeinstallWindow.h"

#include <Button.h>
#include <ControlCharacters.h>
#include <Deinstaller.h>
#include <InterfaceDefs.h>
#include <ListView.h>
#include <Message.h>
#include <Messenger.h>
#include <ScrollBar.h>
#include <ScrollView.h>
#include <StringItem.h>
#include <StringView.h>

#include <cstdio>

namespace {

const float kWidth = 620;
const float kHeight = 470;
const float kMargin = 10;

// A path as the window shows it: control characters as \xNN, so that a
// name cannot hide a line or pass for another.
std::string Shown(const std::string& text)
{
    return TerminalText(text);
}

std::string Counted(int32 count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A list with its scroll bar, filling frame.
BListView* AddList(BView* parent, BRect frame, const char* name, const char* accessibleName)
{
    BRect inner = frame;
    inner.InsetBy(2, 2);
    inner.right -= B_V_SCROLL_BAR_WIDTH;
    BListView* list = new BListView(inner, name, B_SINGLE_SELECTION_LIST,
        B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP);
    list->SetAccessibleName(accessibleName);
    BScrollView* scroll = new BScrollView((std::string(name) + "_scroll").c_str(), list,
        B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 0, false, true);
    scroll->MoveTo(frame.LeftTop());
    parent->AddChild(scroll);
    return list;
}

} // namespace


DeinstallWindow::DeinstallWindow(Deinstaller& deinstaller, const std::string& installFolder)
    : BWindow(BRect(0, 0, kWidth, kHeight), ("Uninstall " + deinstaller.ProductName()).c_str(),
        B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_ZOOMABLE | B_ASYNCHRONOUS_CONTROLS),
      fDeinstaller(deinstaller),
      fInstallFolder(installFolder),
      fProduct(deinstaller.ProductName())
{
    // Titled with the product; known to help and driving scripts by name.
    SetName("DeinstallWindow");
    const BRect bounds = Bounds();
    BView* top = new BView(bounds, "deinstall_view", B_FOLLOW_ALL, B_WILL_DRAW);
    top->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    top->SetAccessibleName(Title());
    AddChild(top);

    const float right = bounds.right - kMargin;
    fInstruction = new BStringView(BRect(kMargin, 8, right, 26), "instruction", "");
    top->AddChild(fInstruction);
    fNote = new BStringView(BRect(kMargin, 28, right, 44), "note", "");
    top->AddChild(fNote);
    top->AddChild(new BStringView(BRect(kMargin, 50, right, 66), "remove_label",
        "Will be removed:"));
    fRemoveList = AddList(top, BRect(kMargin, 68, right, 238), "remove_list",
        "What will be removed");
    top->AddChild(new BStringView(BRect(kMargin, 246, right, 262), "keep_label",
        "Will be kept, and why:"));
    fKeepList = AddList(top, BRect(kMargin, 264, right, 384), "keep_list", "What will be kept");
    fProgress = new BStringView(BRect(kMargin, 392, right, 410), "progress", "");
    fProgress->SetAccessibleName("Progress");
    top->AddChild(fProgress);
    // Texts on the panel, as the installer's labels stand.
    for (BView* child = top->ChildAt(0); child != nullptr; child = child->NextSibling()) {
        if (dynamic_cast<BStringView*>(child) != nullptr)
            child->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    }

    const float buttonTop = bounds.bottom - 34;
    fRemoveButton = new BButton(BRect(right - 90, buttonTop, right, buttonTop + 23), "remove",
        "Remove", new BMessage(kRemove));
    fCancelButton = new BButton(BRect(right - 189, buttonTop, right - 99, buttonTop + 23),
        "cancel", "Cancel", new BMessage(kCancel));
    fRemoveButton->SetAccessibleDescription("Remove what is listed under \"Will be removed\"");
    fCancelButton->SetAccessibleDescription("Close the window and remove nothing");
    top->AddChild(fCancelButton);
    top->AddChild(fRemoveButton);
    SetDefaultButton(fRemoveButton);
    _Fill();
}


DeinstallWindow::~DeinstallWindow()
{
    // The window cannot close while the removal runs (QuitRequested); the
    // thread has ended or is about to end with its last message.
    if (fWorker.joinable())
        fWorker.join();
    for (BListView* list : {fRemoveList, fKeepList}) {
        if (list == nullptr)
            continue;
        while (BListItem* item = list->RemoveItem(int32(0)))
            delete item;
    }
}


void
DeinstallWindow::_Fill()
{
    int32 kept = 0;
    for (const deinstall_entry& entry : fDeinstaller.Entries()) {
        const std::string shown = Shown(entry.path) + " (" + deinstall_entry_kind_name(entry.kind) + ")";
        if (entry.keep.empty()) {
            fRemoveList->AddItem(new BStringItem(shown.c_str()));
            fToRemove++;
        } else {
            fKeepList->AddItem(new BStringItem((shown + ": " + Shown(entry.keep)).c_str()));
            kept++;
        }
    }
    for (const deinstall_section& section : fDeinstaller.Sections()) {
        if (section.count <= 0)
            continue;
        const std::string shown = "the section " + Shown(section.tag) + " of "
            + Shown(section.script);
        fRemoveList->AddItem(new BStringItem(shown.c_str()));
        fToRemove++;
    }

    switch (fDeinstaller.RecordState()) {
        case DEINSTALL_RECORD_NONE:
            fNote->SetText("The installation kept no record: entries are known by their tag "
                           "alone. Look through the list before you remove anything.");
            break;
        case DEINSTALL_RECORD_IN_DOUBT:
            fNote->SetText("The install record is missing or damaged: nothing is removed by its "
                           "tag alone; what looks like the product's is kept.");
            break;
        default:
            if (fDeinstaller.RejectedRecordLines() > 0) {
                fNote->SetText((std::to_string(fDeinstaller.RejectedRecordLines())
                    + " lines of the install record were changed after the installation and "
                      "are ignored.").c_str());
            }
            break;
    }

    if (fToRemove == 0) {
        fInstruction->SetText(("Nothing of " + Shown(fProduct) + " is left to remove.").c_str());
        fRemoveButton->SetEnabled(false);
        fCancelButton->SetLabel("Close");
        fFinished = true;
        fOutcome = kRemoved;
    } else {
        fInstruction->SetText(("Uninstall " + Shown(fProduct) + ": "
            + Counted(fToRemove, "entry", "entries") + " will be removed, "
            + Counted(kept, "entry", "entries") + " kept.").c_str());
    }
}


void
DeinstallWindow::_StartRemoval()
{
    if (fRemoving || fFinished)
        return;
    fRemoving = true;
    fRemoveButton->SetEnabled(false);
    fCancelButton->SetEnabled(false);
    fProgress->SetText("Removing...");
    const BMessenger window(this);
    fWorker = std::thread([this, window] {
        const int32 failures = fDeinstaller.Remove([&window](const deinstall_report& report) {
            BMessage progress(kProgress);
            progress.AddString("path", report.path);
            progress.AddString("tag", report.tag);
            progress.AddInt32("status", report.status);
            window.SendMessage(&progress);
        });
        BMessage finished(kFinished);
        finished.AddInt32("failures", failures);
        window.SendMessage(&finished);
    });
}


void
DeinstallWindow::_Finished(int32 failures)
{
    if (fWorker.joinable())
        fWorker.join();
    fRemoving = false;
    fFinished = true;
    fOutcome = failures == 0 ? kRemoved : kRemovedWithFailures;
    const std::string result = Shown(fProduct) + ": " + std::to_string(fRemoved) + " removed, "
        + std::to_string(fKept + fKeepList->CountItems()) + " kept, " + std::to_string(failures)
        + " could not be removed.";
    fProgress->SetText(result.c_str());
    fInstruction->SetText(failures == 0
            ? ("Uninstalled " + Shown(fProduct) + ". The installation folder, its log and the "
                "deinstaller stay.").c_str()
            : ("Some entries of " + Shown(fProduct) + " could not be removed; they are listed "
                "above.").c_str());
    fCancelButton->SetLabel("Close");
    fCancelButton->SetEnabled(true);
    SetDefaultButton(fCancelButton);
}


void
DeinstallWindow::MessageReceived(BMessage* message)
{
    switch (message->what) {
        case kRemove:
            _StartRemoval();
            break;
        case kCancel:
            PostMessage(B_QUIT_REQUESTED);
            break;
        case kProgress: {
            const std::string path = message->GetString("path", "");
            const std::string tag = message->GetString("tag", "");
            const status_t status = message->GetInt32("status", B_OK);
            fDone++;
            std::string line;
            if (!tag.empty()) {
                line = (status == B_OK ? "Removed the section " : "Could not remove the section ")
                    + Shown(tag) + " from " + Shown(path);
                if (status == B_OK)
                    fRemoved++;
                else
                    fFailed++;
            } else if (status == B_OK) {
                fRemoved++;
                line = "Removed " + Shown(path);
            } else if (status == B_DIRECTORY_NOT_EMPTY) {
                fKept++;
                line = "Kept " + Shown(path) + ": it holds entries that " + Shown(fProduct)
                    + " did not place";
                fKeepList->AddItem(new BStringItem((Shown(path)
                    + " (folder): it holds entries the installation did not place").c_str()));
            } else {
                fFailed++;
                line = "Could not remove " + Shown(path);
                fKeepList->AddItem(new BStringItem((Shown(path) + ": could not be removed").c_str()));
            }
            fProgress->SetText(("(" + std::to_string(fDone) + " of " + std::to_string(fToRemove)
                + ") " + line).c_str());
            break;
        }
        case kFinished:
            _Finished(message->GetInt32("failures", 0));
            break;
        default:
            BWindow::MessageReceived(message);
            break;
    }
}


bool
DeinstallWindow::QuitRequested()
{
    if (fRemoving)
        return false;
    if (fClosedHook)
        fClosedHook(fOutcome);
    return true;
}
