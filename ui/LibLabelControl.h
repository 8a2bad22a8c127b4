// LibLabelControl: a view with an optional bold label (child view "label")
// and an optional colon after it (child view "colon"), whose text turns
// grey when the control is disabled. Controls with a label in front of
// them (LibMenuButton) derive from it.
#pragma once

#include <View.h>

class BStringView;

class LibLabelControl : public BView {
public:
    // The label takes the width labelWidth (less room for the colon) and
    // the height of frame less bottomInset; label and colon may be null.
    LibLabelControl(BRect frame, const float& labelWidth, const char* name, const char* label,
        const float& bottomInset, const char* colon, uint32 resizingMode);
    virtual ~LibLabelControl();

    // Black text when enabled, dark grey when not.
    virtual void SetEnabled(bool enabled);

    // The label's text, or an empty text without a label.
    const char* LabelText() const;

private:
    BStringView* fLabel;
    BStringView* fColon;
};
