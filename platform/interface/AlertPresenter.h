// Every question and notice the program puts to the user goes through one
// presenter: the Qt presenter shows a modal dialog, the console presenter
// prints the text and takes an answer from the terminal or from the
// options of an unattended run, and the scripted presenter answers from a
// script and records every question for tests. BAlert hands its request to
// the presenter that the application installed.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <utility>
#include <vector>

enum alert_type {
    B_EMPTY_ALERT = 0,
    B_INFO_ALERT,
    B_IDEA_ALERT,
    B_WARNING_ALERT,
    B_STOP_ALERT
};

// One question or notice: a text with up to three buttons, optional rows of
// facts (label and value, shown as a table), and an optional check box
// (for example "apply to all").
struct BAlertRequest {
    alert_type type = B_INFO_ALERT;
    std::string title;
    std::string text;
    std::vector<std::string> buttons;
    std::vector<char> shortcuts;
    std::vector<std::pair<std::string, std::string>> facts;
    std::string checkBoxLabel;
    bool checkBoxValue = false;
    // What the question is about, for presenters that answer by rule (the
    // console presenter of an unattended run, scripts): "alert", "replace",
    // "requirement", "launch", "restart" and the like. Free text.
    std::string kind = "alert";
    int32 defaultButton = 0;
};

struct BAlertAnswer {
    int32 button = 0;
    bool checkBox = false;
};

class BAlertPresenter {
public:
    virtual ~BAlertPresenter() = default;

    // Shows the request and blocks until the user answers. Any thread may
    // call it; a presenter that needs its own thread arranges that itself.
    virtual BAlertAnswer Ask(const BAlertRequest& request) = 0;

    // Shows a notice without waiting for it to be dismissed.
    virtual status_t Notify(const BAlertRequest& request) = 0;
};

// The answer that loses nothing, for a question that nobody will answer
// (the program is ending): "Don't Replace", "Later", "Restart Later",
// "Cancel", "No" or "Skip" when the question has such a button, else its
// first button. The check box keeps its value.
BAlertAnswer alert_safe_answer(const BAlertRequest& request);

// The presenter used by BAlert. Never null: without one installed, a console
// presenter on standard error that always takes the default button is used.
// The caller keeps ownership of the presenter and must reset it (null
// restores the default) before destroying it.
BAlertPresenter* alert_presenter();
void set_alert_presenter(BAlertPresenter* presenter);

// Installs a presenter for the life of the object, then restores the default.
class BAlertPresenterScope {
public:
    explicit BAlertPresenterScope(BAlertPresenter* presenter) { set_alert_presenter(presenter); }
    ~BAlertPresenterScope() { set_alert_presenter(nullptr); }
    BAlertPresenterScope(const BAlertPresenterScope&) = delete;
    BAlertPresenterScope& operator=(const BAlertPresenterScope&) = delete;
};
