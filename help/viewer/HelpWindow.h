// HelpWindow: the context-help viewer. A table of contents on the left
// lists the entries of the help file (nested entries open under their
// parent); the page of the selected entry shows on the right.
//
// The help file is unpacked from the program's help resource into a folder
// of the window's own (made in the temporary folder, readable by the user
// only) and removed with the window; nothing is taken from the working
// folder or the shared temporary folder. Closing the window only hides it
// until the application quits.
#pragma once

#include "HelpParser.h"

#include <LibString.h>
#include <LibWindow.h>
#include <Path.h>

#include <string>

class HelpContentItem;
class HelpContentList;
class HelpManager;
class LibTextView;
class xmlTag;

class HelpWindow : public LibWindow {
public:
    // The selection message of the table of contents.
    static constexpr uint32 kContentSelected = 1000;

    // Builds the window and reads the help file "<name>.help". programPath
    // names the file whose help resource is read; null or empty means the
    // running program.
    HelpWindow(const char* name, HelpManager* manager, const char* programPath = nullptr);
    virtual ~HelpWindow();

    // Unpacks "<name>.help" from the program's help resource and fills the
    // table of contents. False when no help could be read (the table stays
    // empty).
    bool ReadInContents(const char* name);
    // Selects the first entry that documents viewPath, opening the entries
    // above it; false (and a note on standard error) when none does.
    bool HelpForInterface(const char* viewPath);
    // Shows the page named page; an unknown page empties the pane, a null
    // or empty name changes nothing.
    void HelpForContent(const char* page);
    // Shows the page of the selected entry and opens its sub-entries, once
    // per newly selected entry.
    void HelpForSelectedContent();
    // Writes the help file packed in the program's help resource to path.
    // The archive's entry must carry path's leaf name. False when the
    // resource cannot be read, is damaged or holds no such entry.
    bool ExtractFromApp(const char* path);

    void MessageReceived(BMessage* message) override;
    // Hides the window; agrees to close only while the application quits.
    bool QuitRequested() override;

    // The help file read, empty when none.
    const char* HelpPath() const { return fHelpPath.Path(); }
    HelpContentList* ContentList() const { return fList; }
    LibTextView* HelpPane() const { return fPane; }
    // Every entry of the table of contents in document order, closed ones
    // included.
    int32 CountEntries() const;
    HelpContentItem* EntryAt(int32 index) const;
    // The manager goes away before the window: it is no longer told.
    void ForgetManager() { fManager = nullptr; }

private:
    void _BuildViews();
    void _AddEntries(xmlTag& parent, HelpContentItem* super);
    // Closes the help file and removes the window's folder holding it.
    void _ForgetHelpFile();

    HelpManager* fManager;
    LibString fProgramPath;
    LibString fFileName;
    BPath fHelpPath;
    // The window's private folder that holds the unpacked help file.
    std::string fHelpFolder;
    HelpParser fParser;
    HelpContentList* fList;
    LibTextView* fPane;
    // The entry whose page was last shown on selection: re-listing selects
    // it again, which must not undo a close or show the page twice.
    HelpContentItem* fShownEntry;
};
