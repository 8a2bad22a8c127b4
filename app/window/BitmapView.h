// BitmapView: a 32 x 32 view that shows the desktop icon of one entry, drawn
// over the panel colour so that transparent pixels let it show through.
#pragma once

#include <View.h>

#include <memory>

class LibBitmap;

class BitmapView : public BView {
public:
    BitmapView(BPoint where, const char* name, const char* path);
    virtual ~BitmapView();

    void Draw(BRect updateRect) override;

    const LibBitmap* Icon() const { return fIcon.get(); }

private:
    std::unique_ptr<LibBitmap> fIcon;
};
