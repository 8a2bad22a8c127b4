// BCheckBox: a labelled check box on a Qt check box. Ticking it (click or
// space) sets its value to B_CONTROL_ON or B_CONTROL_OFF and invokes it.
#pragma once

#include <Control.h>

class QCheckBox;

class BCheckBox : public BControl {
public:
    BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
        uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    virtual ~BCheckBox();

    void GetPreferredSize(float* width, float* height) override;
    void KeyDown(const char* bytes, int32 numBytes) override;

protected:
    void LabelChanged() override;
    void ValueChanged() override;
    void EnabledChanged() override;

private:
    QCheckBox* fCheckBox;
};
