// The installer's own help file: every named view of the installer window
// and of the replace dialog has an entry, and every entry leads to a page.
#include <TestSupport.h>

#include <xmlParser.h>
#include <xmlTag.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kHelpFile = ONDELLE_SOURCE_DIR "/app/help/x-vnd.Quorvane.Vondl.help";

struct ViewParent {
    const char* view;
    const char* parent;  // null for the window's top view
};

// The installer window's views and their parents.
const ViewParent kInstallerViews[] = {
    {"bgview", nullptr},
    {"InstallImage", "bgview"},
    {"license_box", "bgview"},
    {"license_view", "license_box"},
    {"license_text", "license_view"},
    {"install_box", "bgview"},
    {"install_type_label", "install_box"},
    {"install_type_scroll", "install_box"},
    {"install_type", "install_type_scroll"},
    {"file_label", "install_box"},
    {"custom_scroll_view", "install_box"},
    {"custom_list", "custom_scroll_view"},
    {"install_size", "install_box"},
    {"volume", "install_box"},
    {"folder", "install_box"},
    {"volume_size", "install_box"},
    {"destination", "install_box"},
    {"inst_box", "bgview"},
    {"instruction", "inst_box"},
    {"button", "bgview"},
};

// The replace dialog's own views, all children of the alert's text view.
const char* const kReplaceViews[] = {"to_image", "to_creation_label", "to_creation", "to_modified_label",
    "to_modified", "to_size_label", "to_size", "to_kind_label", "to_kind", "to_path_label", "to_path",
    "to_version_label", "to_version", "with", "from_image", "from_creation_label", "from_creation",
    "from_modified_label", "from_modified", "from_size_label", "from_size", "from_kind_label", "from_kind",
    "from_path_label", "from_path", "from_version_label", "from_version", "future_collisions"};

std::string Text(const LibString& text)
{
    const char* data = text;
    return data != nullptr ? data : "";
}

// The help path of view: window, the view, then its parents outwards.
std::string InstallerPath(const std::string& view)
{
    std::map<std::string, const char*> parents;
    for (const ViewParent& entry : kInstallerViews)
        parents[entry.view] = entry.parent;
    std::string path = "InstallerWin/" + view;
    for (const char* parent = parents.at(view); parent != nullptr; parent = parents.at(parent))
        path += std::string("/") + parent;
    return path;
}

struct Entry {
    std::string title;
    std::string page;
};

void CollectEntries(const xmlTag& tag, std::map<std::string, Entry>& byView, std::set<std::string>& pages)
{
    for (const ListNode<xmlTag>* node = tag.Children().OldestNode(); node != nullptr; node = node->Newer()) {
        const xmlTag& entry = *node->Item();
        const char* page = nullptr;
        EXPECT_EQ(entry.Modifiers().FindString("PAGE", &page), B_OK) << Text(entry.Contents());
        EXPECT_FALSE(Text(entry.Contents()).empty());
        if (page != nullptr)
            pages.insert(page);
        const char* view = nullptr;
        for (int32 i = 0; entry.Modifiers().FindString("VIEW", i, &view) == B_OK; i++) {
            // The first entry of a view path is the one the help window shows.
            if (byView.count(view) == 0)
                byView[view] = Entry{Text(entry.Contents()), page != nullptr ? page : ""};
        }
        CollectEntries(entry, byView, pages);
    }
}

class InstallerHelpFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fParser.Open(kHelpFile)) << kHelpFile;
        xmlTag contents;
        ASSERT_TRUE(fParser.FindTag("CONTENTS", contents));
        CollectEntries(contents, fEntries, fReferencedPages);
        ASSERT_FALSE(fParser.LimitReached());
    }

    xmlParser fParser;
    std::map<std::string, Entry> fEntries;
    std::set<std::string> fReferencedPages;
};

TEST_F(InstallerHelpFileTest, EveryInstallerWindowViewHasAnEntry)
{
    for (const ViewParent& view : kInstallerViews) {
        const std::string path = InstallerPath(view.view);
        EXPECT_EQ(fEntries.count(path), 1u) << "no help entry for " << path;
    }
}

TEST_F(InstallerHelpFileTest, EveryReplaceDialogViewHasAnEntry)
{
    for (const char* view : kReplaceViews) {
        const std::string path = std::string("ReplaceAlert/") + view + "/_tv_/TAlertView";
        EXPECT_EQ(fEntries.count(path), 1u) << "no help entry for " << path;
    }
}

TEST_F(InstallerHelpFileTest, EveryEntryLeadsToAPageWithText)
{
    std::set<std::string> pages;
    fParser.Rewind();
    xmlTag page;
    while (fParser.FindTag("PAGE", page)) {
        const char* name = nullptr;
        ASSERT_EQ(page.Modifiers().FindString("NAME", &name), B_OK);
        EXPECT_TRUE(pages.insert(name).second) << "page " << name << " written twice";
        EXPECT_GT(page.Contents().Length(), 40) << "page " << name;
        // Every page opens with its title in bold.
        ASSERT_GT(page.Children().Size(), 0) << "page " << name;
        EXPECT_EQ(Text(page.Children().First()->Name()), "B") << "page " << name;
        EXPECT_EQ(page.Children().First()->ParentLocation(), 0) << "page " << name;
        for (const ListNode<xmlTag>* node = page.Children().OldestNode(); node != nullptr; node = node->Newer()) {
            const std::string child = Text(node->Item()->Name());
            EXPECT_TRUE(child == "B" || child == "BR" || child == "P") << "page " << name << " has " << child;
        }
    }
    EXPECT_FALSE(fParser.LimitReached());
    for (const std::string& referenced : fReferencedPages)
        EXPECT_EQ(pages.count(referenced), 1u) << "entry leads to missing page " << referenced;
    for (const std::string& written : pages)
        EXPECT_EQ(fReferencedPages.count(written), 1u) << "page " << written << " is never shown";
}

} // namespace
