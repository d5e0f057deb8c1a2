#pragma once
// Loading pictures from files: names ending in JPG (any case) are decoded with libjpeg, every
// other picture through Qt's image reader. A file that is missing or does not decode gives false
// and leaves the image empty; it never throws.

#include <string>

#include <QImage>

bool LoadPictureFile(const std::string& fileName, QImage& image);
