#include "ReplaceAlert.h"

#include <ThreadWaitMark.h>

#include "BitmapView.h"

#include <Button.h>
#include <CheckBox.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <LibPanelColor.h>
#include <LibStringView.h>
#include <StringView.h>
#include <TextView.h>

#include <algorithm>
#include <cctype>

namespace {

const uint32 kDontReplace = 'rpl0';
const uint32 kReplace = 'rpl1';
const uint32 kApplyToAll = 1000;

// Rows per block: created, modified, size, kind, path, version.
const size_t kRows = 6;
const size_t kFacts = 2 * kRows + 1;
const size_t kPathRow = 4;
const float kRowHeight = 15;
// The right edge of the fact labels. "Modified :" at 10 pixels is 44 to 45
// pixels wide in the faces with Helvetica's widths; with the string view's
// 2-pixel margins it needs 49 pixels, 3 more than a column ending at 85
// gives. The values start at 90, so the wider column leaves them in place.
const float kLabelRight = 88;

const char* const kRowNames[kRows] = {"creation", "modified", "size", "kind", "path", "version"};

// The leaf name in "The <kind> '<leaf>' already exists. ...".
bool LeafName(const std::string& text, std::string& leaf)
{
    const std::string tail = "' already exists.";
    size_t open = text.find('\'');
    size_t close = text.rfind(tail);
    if (open == std::string::npos || close == std::string::npos || close <= open)
        return false;
    leaf = text.substr(open + 1, close - open - 1);
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& leaf)
{
    if (folder.empty() || folder.back() == '/')
        return folder + leaf;
    return folder + "/" + leaf;
}

void StyleLabel(BStringView* view)
{
    view->SetFontSize(10);
    view->SetHighColor(255, 0, 0);
}

} // namespace


bool ReplaceAlert::CanShow(const BAlertRequest& question)
{
    std::string leaf;
    return question.kind == "replace" && question.facts.size() == kFacts && question.buttons.size() == 2
        && LeafName(question.text, leaf);
}


ReplaceAlert::ReplaceAlert(const BAlertRequest& question, bool offerApplyToAll)
    : BWindow(BRect(0, 0, kPlainWidth,
                  kPlainHeight + (offerApplyToAll ? kGrowthWithCheckBox : kGrowth)),
        question.title.empty() ? "ReplaceAlert" : question.title.c_str(), B_MODAL_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL,
        B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE | B_ASYNCHRONOUS_CONTROLS),
      fQuestion(question)
{
    // Titled with the product's name when the question carries it; the name
    // stays, by which help and driving scripts know the window.
    SetName("ReplaceAlert");
    std::string leaf;
    if (LeafName(question.text, leaf) && question.facts.size() == kFacts) {
        fExisting = JoinPath(question.facts[kPathRow].second, leaf);
        fIncoming = JoinPath(question.facts[kRows + 1 + kPathRow].second, leaf);
    }

    const BRect bounds = Bounds();
    BView* top = new BView(bounds, "TAlertView", B_FOLLOW_ALL, B_WILL_DRAW);
    top->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    top->SetAccessibleName("Replace question");
    AddChild(top);

    // The darker stripe on the left with the warning sign.
    BView* stripe = new BView(BRect(0, 0, 30, bounds.bottom), "icon_stripe", B_FOLLOW_TOP_BOTTOM, B_WILL_DRAW);
    stripe->SetViewColor(tint_color(ui_color(B_PANEL_BACKGROUND_COLOR), B_DARKEN_1_TINT));
    top->AddChild(stripe);
    BStringView* icon = new BStringView(BRect(18, 6, 49, 37), "warning_icon", "\xE2\x9A\xA0");
    icon->SetFontSize(26);
    icon->SetHighColor(230, 160, 0);
    stripe->SetAccessibleName("Warning");
    icon->SetAccessibleName("Warning");
    top->AddChild(icon);

    // The text area: the sentence at its top, the facts below it, every
    // coordinate relative to its top-left corner.
    BView* textArea = new BView(BRect(55, 6, bounds.right - 10, bounds.bottom - 45), "_tv_",
        B_FOLLOW_ALL, B_WILL_DRAW);
    textArea->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    textArea->SetAccessibleName("Facts");
    top->AddChild(textArea);
    const float textWidth = textArea->Bounds().Width();
    BTextView* sentence = new BTextView(BRect(0, 0, textWidth, 32), "message",
        BRect(0, 0, textWidth, 32), B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW);
    sentence->SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
    sentence->MakeEditable(false);
    sentence->MakeSelectable(false);
    sentence->SetWordWrap(true);
    sentence->SetText(question.text.c_str());
    sentence->SetAccessibleName(question.text.c_str());
    textArea->AddChild(sentence);

    _AddBlock(textArea, "to_", 35, 65, 0, fExisting, 245);
    BStringView* with = new BStringView(BRect(0, 125, 50, 140), "with", "With");
    with->SetAccessibleDescription("The facts below are those of the incoming entry");
    textArea->AddChild(with);
    _AddBlock(textArea, "from_", 140, 170, kRows + 1, fIncoming, 310);

    if (offerApplyToAll) {
        fCheckBox = new BCheckBox(BRect(0, 235, 200, 250), "future_collisions",
            "Apply to all future collisions", new BMessage(kApplyToAll), B_FOLLOW_LEFT | B_FOLLOW_TOP,
            B_WILL_DRAW | B_NAVIGABLE);
        textArea->AddChild(fCheckBox);
    }
    fApplyToAll = false;

    // Both buttons as wide as the wider label, the default one rightmost.
    const char* first = question.buttons.size() > 0 ? question.buttons[0].c_str() : "Don't Replace";
    const char* second = question.buttons.size() > 1 ? question.buttons[1].c_str() : "Replace";
    const float width = std::max(75.0f,
        std::max(be_plain_font->StringWidth(first), be_plain_font->StringWidth(second)) + 20);
    const float buttonTop = bounds.bottom - 34;
    BRect right(bounds.right - 10 - width, buttonTop, bounds.right - 10, buttonTop + 23);
    BRect left(right.left - 9 - width, buttonTop, right.left - 9, buttonTop + 23);
    BButton* keep = new BButton(left, "_b0_", first, new BMessage(kDontReplace));
    BButton* replace = new BButton(right, "_b1_", second, new BMessage(kReplace));
    keep->SetAccessibleDescription("Keep the existing entry (key D)");
    replace->SetAccessibleDescription("Put the incoming entry in its place (key R)");
    top->AddChild(keep);
    top->AddChild(replace);
    SetDefaultButton(replace);
    LibAdoptPanelColor(top);
    icon->SetViewColor(stripe->ViewColor());
    CenterOnScreen();
}


ReplaceAlert::~ReplaceAlert() = default;


void ReplaceAlert::_AddBlock(BView* textArea, const char* prefix, float top, float iconTop, size_t firstFact,
    const std::string& path, float modifiedRight)
{
    const std::string pre = prefix;
    const std::string entry = firstFact == 0 ? "Existing entry" : "Incoming entry";
    BitmapView* icon = new BitmapView(BPoint(0, iconTop), (pre + "image").c_str(), path.c_str());
    icon->SetAccessibleName(("Icon of the " + std::string(firstFact == 0 ? "existing" : "incoming")
        + " entry").c_str());
    textArea->AddChild(icon);
    for (size_t row = 0; row < kRows; row++) {
        const auto& fact = fQuestion.facts[firstFact + row];
        const float rowTop = top + kRowHeight * float(row);
        const std::string name = pre + kRowNames[row];
        BStringView* label = new BStringView(BRect(40, rowTop, kLabelRight, rowTop + kRowHeight),
            (name + "_label").c_str(), fact.first.c_str());
        StyleLabel(label);
        textArea->AddChild(label);

        const float right = row == 1 ? modifiedRight : 245;
        const BRect frame(90, rowTop, right, rowTop + kRowHeight);
        // Read aloud as "Existing entry, Created :" with the stamp as value.
        const std::string spoken = entry + ", " + fact.first;
        if (row == kPathRow) {
            // The end of a long path matters most: cut at its beginning.
            LibStringView* value = new LibStringView(frame, name.c_str(), "");
            value->SetFontSize(10);
            value->SetTruncatedText(fact.second.c_str(), B_TRUNCATE_BEGINNING);
            value->SetAccessibleName(spoken.c_str());
            // The path may be cut short on screen: the whole of it is read.
            value->SetAccessibleDescription(fact.second.c_str());
            textArea->AddChild(value);
        } else {
            BStringView* value = new BStringView(frame, name.c_str(), fact.second.c_str());
            value->SetFontSize(10);
            value->SetAccessibleName(spoken.c_str());
            textArea->AddChild(value);
        }
    }
}


BAlertAnswer ReplaceAlert::Go()
{
    std::future<BAlertAnswer> answer = fAnswer.get_future();
    Show();
    BAlertAnswer result;
    try {
        ThreadWaitMark mark(B_THREAD_WAITING);
        result = answer.get();
    } catch (const std::future_error&) {
        // The dialog was destroyed unanswered (the program ended while it
        // was up): this object is gone, so touch nothing of it, and keep
        // the existing entry as closing the dialog does.
        return BAlertAnswer{0, false};
    }
    if (Lock())
        Quit();
    return result;
}


void ReplaceAlert::_Answer(int32 button)
{
    if (fAnswered)
        return;
    fAnswered = true;
    BAlertAnswer answer;
    answer.button = button;
    answer.checkBox = fApplyToAll;
    fAnswer.set_value(answer);
    Hide();
}


void ReplaceAlert::MessageReceived(BMessage* message)
{
    switch (message->what) {
        case kApplyToAll:
            fApplyToAll = fCheckBox != nullptr && fCheckBox->Value() == B_CONTROL_ON;
            break;
        case kDontReplace:
            _Answer(0);
            break;
        case kReplace:
            _Answer(1);
            break;
        default:
            BWindow::MessageReceived(message);
    }
}


void ReplaceAlert::DispatchMessage(BMessage* message, BHandler* handler)
{
    // The buttons' keys work wherever the focus is, as on the platform's
    // alerts: d for "Don't Replace", r for "Replace".
    if (message->what == B_KEY_DOWN) {
        int32 modifiers = 0;
        message->FindInt32("modifiers", &modifiers);
        const char* bytes = nullptr;
        if ((modifiers & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) == 0
            && message->FindString("bytes", &bytes) == B_OK && bytes != nullptr && bytes[1] == '\0') {
            const char key = char(std::tolower(static_cast<unsigned char>(bytes[0])));
            if (key == 'd') {
                _Answer(0);
                return;
            }
            if (key == 'r') {
                _Answer(1);
                return;
            }
        }
    }
    BWindow::DispatchMessage(message, handler);
}


bool ReplaceAlert::QuitRequested()
{
    // Closing the dialog keeps the existing entry, the answer that loses
    // nothing; Go() then closes it.
    _Answer(0);
    return false;
}
