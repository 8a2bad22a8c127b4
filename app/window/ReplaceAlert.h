// ReplaceAlert: the dialog the install job shows when an entry is in the way
// of an item whose collision rule is to ask. One sentence names the
// collision; under it two blocks of facts (the existing entry, then "With"
// the incoming one) each with the entry's icon, and optionally the check box
// "Apply to all future collisions". "Don't Replace" answers 0 (key d),
// "Replace" 1 (key r, the default button).
//
// The facts come from the job's question (kind "replace"): six rows for the
// existing entry, the row "With", six rows for the incoming entry. The paths
// of both entries, needed for their icons, are the leaf name of the sentence
// under the parent folder of each "Path :" row.
#pragma once

#include <AlertPresenter.h>
#include <Window.h>

#include <future>
#include <string>

class BCheckBox;

class ReplaceAlert : public BWindow {
public:
    // The plain alert's frame before the rows of facts are added, and how
    // much taller they make it.
    static constexpr float kPlainWidth = 310;
    static constexpr float kPlainHeight = 75;
    static constexpr float kGrowth = 220;
    static constexpr float kGrowthWithCheckBox = 240;

    // Whether question carries the sentence and the thirteen rows that the
    // dialog lays out.
    static bool CanShow(const BAlertRequest& question);

    ReplaceAlert(const BAlertRequest& question, bool offerApplyToAll);
    virtual ~ReplaceAlert();

    // Shows the dialog and blocks until a button is pressed; then closes it
    // (the object is gone afterwards) and returns the button's index with
    // the state of "Apply to all future collisions" at that moment. Call it
    // from a worker thread (the install job's), never from the GUI thread.
    BAlertAnswer Go();

    void MessageReceived(BMessage* message) override;
    void DispatchMessage(BMessage* message, BHandler* handler) override;
    bool QuitRequested() override;

    bool ApplyToAll() const { return fApplyToAll; }
    const std::string& IncomingPath() const { return fIncoming; }
    const std::string& ExistingPath() const { return fExisting; }

private:
    void _AddBlock(BView* textArea, const char* prefix, float top, float iconTop, size_t firstFact,
        const std::string& path, float modifiedRight);
    void _Answer(int32 button);

    BAlertRequest fQuestion;
    std::string fIncoming;
    std::string fExisting;
    BCheckBox* fCheckBox = nullptr;
    bool fApplyToAll = false;
    bool fAnswered = false;
    std::promise<BAlertAnswer> fAnswer;
};
