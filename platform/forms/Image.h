#pragma once
// A picture on its parent, drawn from the control's top-left corner. Without Stretch it is drawn
// at its own size (clipped by the control); with Stretch it fills the control; with Proportional
// it keeps its aspect ratio and fits the control (a picture larger than the control is scaled
// down even without Stretch). The control paints nothing outside the picture; Transparent is kept
// for pictures that carry their own transparency.
//
// A picture loaded from a file is kept no larger than the control draws it (set the size, Stretch
// and Proportional first): a large photo for a small control costs the memory of the small one.
// When the control comes to draw it larger, it is read from its file again. Its Width and Height
// stay those of the picture itself, so it is placed as the whole picture would be.

#include <string>

#include <QImage>

#include "platform/forms/Control.h"

class TImage;

// The picture of an image control.
class TPicture {
public:
    explicit TPicture(TImage* image) : image_(image) {}

    // Loads a picture file (Picture.h: JPG through libjpeg, others through Qt). False, with the
    // picture left empty, when the file cannot be read; never throws.
    bool LoadFromFile(const std::string& fileName);
    void Assign(const QImage& image);
    // Shows the same picture as another; the two share its pixels.
    void Assign(const TPicture& source);
    void Clear() { Assign(QImage()); }

    // The picture's own size.
    int Width() const { return size_.width(); }
    int Height() const { return size_.height(); }
    bool Empty() const { return image_data_.isNull(); }
    // The pixels kept, which may be fewer than the picture's own size.
    const QImage& Image() const { return image_data_; }

private:
    friend class TImage;
    // Reads the file again when the control now draws the picture larger than it is kept.
    void Refit();
    bool Load(const std::string& fileName);

    TImage* image_;
    QImage image_data_;
    QSize size_;
    std::string fileName_; // the file the pixels came from, "" when assigned
};

class TImage : public TControl {
public:
    explicit TImage(TComponent* owner);

    TPicture* Picture() { return &picture_; }

    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool proportional);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    // Where the picture is drawn inside the control (empty without a picture), for tests.
    QRect PictureRect() const;
    // Where a picture of that size would be drawn.
    QRect PictureRect(const QSize& picture) const;

protected:
    bool IsWindowed() const override { return false; }
    QWidget* CreateWidget() override;
    void Resized() override;

private:
    friend class TPicture;
    friend class ImageWidget;
    void PictureChanged();

    TPicture picture_;
    bool stretch_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
};
