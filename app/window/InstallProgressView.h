// InstallProgressView: the bar in the instruction box that shows how much
// of a running install is done, from the job's byte report ('ispg': bytes
// done and total, the report the unattended installer's progress line
// uses). It fills from the left in proportion and writes the whole percent
// in its middle; the installer window shows it only while a job runs.
#pragma once

#include <View.h>

#include <string>

class InstallProgressView : public BView {
public:
    explicit InstallProgressView(BRect frame);

    // Takes a byte report; values out of range are clamped.
    void SetProgress(int64 done, int64 total);
    void Reset() { SetProgress(0, 0); }

    // Whole percent done, rounded down (100 only when everything is done;
    // 0 before the first report).
    int32 Percent() const { return fPercent; }
    // The text drawn in the bar: "42%".
    std::string Label() const;
    // Width in pixels of the filled part inside the frame line.
    float FilledWidth() const;

    void Draw(BRect updateRect) override;

private:
    int64 fDone = 0;
    int64 fTotal = 0;
    int32 fPercent = 0;
};
