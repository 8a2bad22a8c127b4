// A sandbox folder made the working folder, a help file written there and
// an application object, for the tests of the help manager and window.
#pragma once

#include "../platform_interface/InterfaceTestSupport.h"

#include <Application.h>
#include <FindDirectory.h>
#include <HelpContentItem.h>
#include <HelpContentList.h>
#include <HelpManager.h>
#include <HelpWindow.h>
#include <LibTextView.h>
#include <ListView.h>
#include <Path.h>
#include <TestSupport.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

// Nested entries, an entry without a page, two entries for one view and a
// page the contents never names.
inline const char* kHelpText =
    "<?xml VERSION='1.0'>\n"
    "<HEADER><VERSION>1</VERSION></HEADER>\n"
    "<! the table of contents >\n"
    "<CONTENTS>\n"
    "<CONTENT PAGE=\"intro\">Introduction</CONTENT>\n"
    "<CONTENT PAGE=\"main\" VIEW=\"Main/ok/top\">Main window\n"
    "  <CONTENT PAGE=\"list\" VIEW=\"Main/list/scroll/top\" VIEW=\"Main/list2\">The list\n"
    "    <CONTENT PAGE=\"deep\" VIEW=\"Main/deep/top\">Deep entry</CONTENT>\n"
    "  </CONTENT>\n"
    "</CONTENT>\n"
    "<CONTENT PAGE=\"second\" VIEW=\"Main/ok/top\">Second OK</CONTENT>\n"
    "<CONTENT VIEW=\"Main/nopage\">No page</CONTENT>\n"
    "<CONTENT PAGE=\"missing\" VIEW=\"Main/missing\">Missing page</CONTENT>\n"
    "</CONTENTS>\n"
    "<PAGE NAME=\"intro\">Welcome<BR/>to the help.</PAGE>\n"
    "<PAGE NAME=\"main\">The main window.</PAGE>\n"
    "<PAGE NAME=\"list\">Pick <B>items</B> here.</PAGE>\n"
    "<PAGE NAME=\"deep\">Deep page.</PAGE>\n"
    "<PAGE NAME=\"second\">Never shown.</PAGE>\n";

inline constexpr const char* kSignature = "application/x-vnd.Ondelle-HelpTest";
inline constexpr const char* kHelpName = "x-vnd.Ondelle-HelpTest.help";

class HelpViewerTest : public ::testing::Test {
protected:
    HelpViewerTest()
        : fApp(kSignature),
          fOldFolder(std::filesystem::current_path())
    {
        fWork = fDir / "work";
        std::filesystem::create_directories(fWork);
        std::filesystem::current_path(fWork);
    }

    ~HelpViewerTest() override
    {
        fManager.reset();
        std::filesystem::current_path(fOldFolder);
        std::filesystem::remove(TempCopy());
    }

    void WriteHelp(const std::filesystem::path& path, const std::string& text = kHelpText)
    {
        ondelle::test::WriteFileBytes(path, text);
    }

    // Stores text as the help file of a program of the test's own and
    // makes it the manager's program: the window reads only the help its
    // program carries.
    void InstallHelp(const std::string& text = kHelpText)
    {
        const std::filesystem::path packed = fDir / "packed" / kHelpName;
        std::filesystem::create_directories(packed.parent_path());
        WriteHelp(packed, text);
        const std::filesystem::path program = fDir / "program";
        if (!std::filesystem::exists(program))
            ondelle::test::WriteFileBytes(program, "");
        HelpManager storing;
        storing.SetProgramPath(program.c_str());
        EXPECT_TRUE(storing.AddHelpFile(packed.c_str()));
        Manager().SetProgramPath(program.c_str());
    }

    HelpManager& Manager()
    {
        if (!fManager) {
            fManager = std::make_unique<HelpManager>();
            fManager->SetSignature(kSignature);
        }
        return *fManager;
    }

    // A help request as a window posts it: the window, then the view under
    // the mouse and its parents.
    static BMessage Request(const char* window, std::initializer_list<const char*> views)
    {
        BMessage request(HelpManager::kHelpRequest);
        request.AddString("window", window);
        for (const char* view : views)
            request.AddString("view", view);
        return request;
    }

    void Ask(const char* window, std::initializer_list<const char*> views)
    {
        BMessage request = Request(window, views);
        Manager().MessageReceived(&request);
    }

    // The title of the selected entry, empty when none is selected.
    std::string Selected()
    {
        HelpWindow* window = Manager().Window();
        if (window == nullptr || !window->Lock())
            return "";
        const int32 index = window->ContentList()->CurrentSelection();
        auto* item = dynamic_cast<HelpContentItem*>(window->ContentList()->ItemAt(index));
        std::string title = item != nullptr ? item->Text() : "";
        window->Unlock();
        return title;
    }

    std::string PaneText()
    {
        HelpWindow* window = Manager().Window();
        if (window == nullptr || !window->Lock())
            return "";
        std::string text = window->HelpPane()->Text();
        window->Unlock();
        return text;
    }

    // Waits until the window has shown the selected entry's page.
    bool PaneShows(const std::string& text)
    {
        return WaitFor([&] { return PaneText() == text; });
    }

    int32 VisibleEntries()
    {
        HelpWindow* window = Manager().Window();
        if (window == nullptr || !window->Lock())
            return -1;
        const int32 count = window->ContentList()->CountItems();
        window->Unlock();
        return count;
    }

    static std::filesystem::path TempCopy()
    {
        BPath temp;
        if (find_directory(B_COMMON_TEMP_DIRECTORY, &temp, true) != B_OK)
            return {};
        return std::filesystem::path(temp.Path()) / kHelpName;
    }

    BApplication fApp;
    ondelle::test::TempDir fDir;
    std::filesystem::path fOldFolder;
    std::filesystem::path fWork;
    std::unique_ptr<HelpManager> fManager;
};
