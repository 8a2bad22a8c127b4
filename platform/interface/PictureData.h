// The recording inside a BPicture: a Qt picture. Platform drawing code
// records into it with a QPainter and replays it with QPainter::drawPicture.
#pragma once

#include <QPicture>

class PictureData {
public:
    QPicture picture;
};
