#include "platform/forms/Image.h"

#include <QPainter>
#include <QWidget>
#include <QtMath>

#include "platform/forms/Picture.h"

// Paints the picture of an image control.
class ImageWidget : public QWidget {
public:
    explicit ImageWidget(TImage* image) : image_(image) {}

protected:
    void paintEvent(QPaintEvent*) override {
        const QImage& picture = image_->picture_.Image();
        if (picture.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, image_->stretch_ || image_->proportional_);
        painter.drawImage(image_->PictureRect(), picture);
    }

private:
    TImage* image_;
};

bool TPicture::LoadFromFile(const std::string& fileName) {
    if (!Load(fileName)) {
        Assign(QImage());
        return false;
    }
    return true;
}

bool TPicture::Load(const std::string& fileName) {
    // Kept at the size it is drawn at, in the screen's pixels.
    const qreal ratio = image_->DevicePixelRatio();
    const PictureFit fit = [this, ratio](const QSize& own) {
        const QSize drawn = image_->PictureRect(own).size();
        return QSize(qCeil(drawn.width() * ratio), qCeil(drawn.height() * ratio));
    };
    QImage loaded;
    QSize own;
    if (!LoadPictureFile(fileName, loaded, fit, own)) {
        return false;
    }
    image_data_ = std::move(loaded);
    size_ = own;
    fileName_ = fileName;
    image_->PictureChanged();
    return true;
}

void TPicture::Refit() {
    if (fileName_.empty() || image_data_.isNull() || image_data_.size() == size_) {
        return;
    }
    const qreal ratio = image_->DevicePixelRatio();
    const QSize drawn = image_->PictureRect(size_).size();
    if (qCeil(drawn.width() * ratio) > image_data_.width() ||
        qCeil(drawn.height() * ratio) > image_data_.height()) {
        // A file that has gone since leaves the smaller picture in place.
        Load(std::string(fileName_));
    }
}

void TPicture::Assign(const QImage& image) {
    image_data_ = image;
    size_ = image.size();
    fileName_.clear();
    image_->PictureChanged();
}

void TPicture::Assign(const TPicture& source) {
    image_data_ = source.image_data_;
    size_ = source.size_;
    fileName_ = source.fileName_;
    image_->PictureChanged();
}

TImage::TImage(TComponent* owner) : TControl(owner), picture_(this) {
    InitBounds(0, 0, 105, 105);
}

QWidget* TImage::CreateWidget() {
    return new ImageWidget(this);
}

void TImage::SetStretch(bool stretch) {
    stretch_ = stretch;
    picture_.Refit();
    PictureChanged();
}

void TImage::SetProportional(bool proportional) {
    proportional_ = proportional;
    picture_.Refit();
    PictureChanged();
}

void TImage::Resized() {
    picture_.Refit();
}

void TImage::SetTransparent(bool transparent) {
    transparent_ = transparent;
    PictureChanged();
}

void TImage::PictureChanged() {
    if (QWidget* widget = MadeWidget())
        widget->update();
}

QRect TImage::PictureRect() const {
    return PictureRect(QSize(picture_.Width(), picture_.Height()));
}

QRect TImage::PictureRect(const QSize& picture) const {
    int w = picture.width();
    int h = picture.height();
    if (w <= 0 || h <= 0)
        return QRect();
    const int cw = Width();
    const int ch = Height();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_) {
            const double aspect = static_cast<double>(w) / h;
            if (w > h) {
                w = cw;
                h = static_cast<int>(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = static_cast<int>(ch * aspect);
                }
            } else {
                h = ch;
                w = static_cast<int>(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = static_cast<int>(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    return QRect(0, 0, w, h);
}
