#include <Alert.h>

#include <StopPoint.h>

BAlert::BAlert(const char* title, const char* text, const char* button1, const char* button2,
    const char* button3, button_width width, alert_type type)
{
    (void)width; // the presenter lays buttons out in its own way
    fRequest.type = type;
    fRequest.title = title != nullptr ? title : "";
    fRequest.text = text != nullptr ? text : "";
    for (const char* label : {button1, button2, button3}) {
        if (label == nullptr)
            break;
        fRequest.buttons.emplace_back(label);
        fRequest.shortcuts.push_back(0);
    }
    if (fRequest.buttons.empty()) {
        fRequest.buttons.emplace_back("OK");
        fRequest.shortcuts.push_back(0);
    }
    // As on the platform, the last button is the default one.
    fRequest.defaultButton = int32(fRequest.buttons.size()) - 1;
}

void BAlert::SetShortcut(int32 index, char key)
{
    if (index >= 0 && index < CountButtons())
        fRequest.shortcuts[size_t(index)] = key;
}

void BAlert::SetKind(const char* kind)
{
    fRequest.kind = kind != nullptr ? kind : "alert";
}

void BAlert::SetDefaultButton(int32 index)
{
    if (index >= 0 && index < CountButtons())
        fRequest.defaultButton = index;
}

void BAlert::AddFact(const char* label, const char* value)
{
    fRequest.facts.emplace_back(label != nullptr ? label : "", value != nullptr ? value : "");
}

void BAlert::SetCheckBox(const char* label, bool value)
{
    fRequest.checkBoxLabel = label != nullptr ? label : "";
    fRequest.checkBoxValue = value;
}

int32 BAlert::Go()
{
    return Ask().button;
}

BAlertAnswer BAlert::Ask()
{
    BAlertAnswer answer = alert_presenter()->Ask(fRequest);
    // A thread killed while it waited for the answer parks here, before its
    // caller goes on: whoever killed it may have freed what the caller uses
    // (a stopped job's configuration) since the kill returned at once.
    stop_point();
    if (answer.button < 0 || answer.button >= CountButtons())
        answer.button = fRequest.defaultButton;
    return answer;
}

status_t BAlert::GoNoWait()
{
    return alert_presenter()->Notify(fRequest);
}
