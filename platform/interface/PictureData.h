// The recording inside a BPicture: a Qt picture, or, for a picture made of
// one bitmap, that bitmap's image itself (recording an image into a Qt
// picture encodes it as PNG, which costs more than a program's start-up
// should). Platform drawing code plays it with Draw().
#pragma once

#include <QImage>
#include <QPicture>

class QPainter;

class PictureData {
public:
    QPicture picture;
    QImage image;

    bool IsEmpty() const { return image.isNull() && picture.isNull(); }
    // The area covered, in recording coordinates.
    QRect BoundingRect() const;
    // Plays the picture with its origin at (x, y). On a high-density
    // device the image is scaled smoothly rather than pixel-doubled.
    void Draw(QPainter& painter, int x, int y) const;
};
