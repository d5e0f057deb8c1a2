#pragma once
// Loading pictures from files: names ending in JPG (any case) are decoded with libjpeg, every
// other picture through Qt's image reader. A file that is missing or does not decode gives false
// and leaves the image empty; it never throws.
//
// A picture that is drawn smaller than it is need not be kept whole: given a fit, which tells the
// size to keep a picture of a given size at, the loader keeps it at that size, scaled smoothly. A
// JPEG far larger than that is decoded at a half, a quarter or an eighth of its size, which costs
// a fraction of the full decode. The refusals go by the picture's own size all the same.

#include <functional>
#include <string>

#include <QImage>
#include <QSize>

// The size to keep a picture of the given size at; no larger than it in either direction.
using PictureFit = std::function<QSize(const QSize& own)>;

bool LoadPictureFile(const std::string& fileName, QImage& image);
// As above; ownSize receives the picture's own size when it loads.
bool LoadPictureFile(const std::string& fileName, QImage& image, const PictureFit& fit, QSize& ownSize);
