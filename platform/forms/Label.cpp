#include "platform/forms/Label.h"

#include <algorithm>

#include <QFontMetrics>
#include <QLabel>

#include "platform/forms/ByteText.h"

TLabel::TLabel(TComponent* owner) : TControl(owner), canvas_(&TControl::Font()) {
    InitBounds(0, 0, 65, 17);
    AdjustBounds();
}

QWidget* TLabel::CreateWidget() {
    label_ = new QLabel();
    label_->setTextFormat(Qt::PlainText);
    label_->setMargin(0);
    label_->setIndent(0);
    label_->setContentsMargins(0, 0, 0, 0);
    label_->setWordWrap(wordWrap_);
    label_->setText(ToDisplayText(caption_));
    ApplyAlignment();
    return label_;
}

QLabel* TLabel::Label() const {
    Widget();
    return label_;
}

void TLabel::SetCaption(const std::string& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    if (label_ != nullptr)
        label_->setText(ToDisplayText(caption));
    AdjustBounds();
}

int TLabel::DrawnTextHeight() const {
    if (caption_.empty())
        return 0;
    int left, top, width, height;
    GetBounds(left, top, width, height);
    const QFontMetrics metrics(Font().ToQFont());
    const int flags = Qt::AlignLeft | Qt::AlignTop | (wordWrap_ ? Qt::TextWordWrap : 0);
    const int textHeight = metrics
                               .boundingRect(QRect(0, 0, std::max(1, wordWrap_ ? width : 1 << 20), 1 << 20),
                                             flags, ToDisplayText(caption_))
                               .height();
    return std::min(textHeight, height);
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustBounds();
}

void TLabel::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    if (label_ != nullptr)
        label_->setWordWrap(wordWrap);
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    ApplyAlignment();
}

void TLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    ApplyBackground();
}

void TLabel::ColorChanged() {
    colorSet_ = true;
    ApplyBackground();
}

void TLabel::FontChanged() {
    AdjustBounds();
}

void TLabel::Resized() {
    if (wordWrap_)
        AdjustBounds();
}

void TLabel::ApplyAlignment() {
    if (label_ == nullptr)
        return;
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (alignment_ == taRightJustify)
        horizontal = Qt::AlignRight;
    else if (alignment_ == taCenter)
        horizontal = Qt::AlignHCenter;
    label_->setAlignment(horizontal | Qt::AlignTop);
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || adjusting_)
        return;
    adjusting_ = true;
    int left, top, width, height;
    GetBounds(left, top, width, height);
    int newWidth = width;
    int newHeight = height;
    if (caption_.empty() && !wordWrap_) {
        // Every new label is empty: the blank's size is known for the few fonts in use.
        const TLineMetrics blank = LineMetrics(Font());
        newWidth = blank.blankWidth;
        newHeight = blank.height;
    } else {
        const QFontMetrics metrics(Font().ToQFont());
        const QString text = caption_.empty() ? QStringLiteral(" ") : ToDisplayText(caption_);
        if (wordWrap_) {
            // The width stays; the height follows the wrapped lines.
            newHeight = metrics
                            .boundingRect(QRect(0, 0, std::max(1, width), 1 << 20),
                                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text)
                            .height();
        } else if (text.contains(QLatin1Char('\n'))) {
            const QRect r =
                metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::AlignLeft | Qt::AlignTop, text);
            newWidth = r.width();
            newHeight = r.height();
        } else {
            newWidth = metrics.horizontalAdvance(text);
            newHeight = metrics.height();
        }
    }
    // A right-justified label grows to the left.
    if (alignment_ == taRightJustify)
        left += width - newWidth;
    PutBounds(left, top, newWidth, newHeight);
    adjusting_ = false;
}
