// BackgroundView: fills the installer window with the panel colour and
// writes the installer's caption, turned on its side, up the right edge.
#pragma once

#include <View.h>

class BackgroundView : public BView {
public:
    // The installer's version as its version record and --version give it.
    static constexpr const char* kCaption = "Quorvane: Ondelle v" ONDELLE_VERSION;

    explicit BackgroundView(BRect frame);

    void Draw(BRect updateRect) override;
};
