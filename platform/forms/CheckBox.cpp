#include "platform/forms/CheckBox.h"

#include <QCheckBox>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "platform/forms/ByteText.h"

namespace {

// Qt lays a check box out right to left to put the box on the right, and then sets the caption
// against the box, so a caption longer than the room loses its first letters. A left-justified
// caption starts at the left edge instead, and a long one is cut at the box.
class CheckBoxWidget : public QCheckBox {
protected:
    void paintEvent(QPaintEvent* event) override {
        if (layoutDirection() != Qt::RightToLeft) {
            QCheckBox::paintEvent(event);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        QStyleOptionButton indicator = option;
        indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
        QRect contents = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        contents.setLeft(0);
        const int flags = Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter | Qt::TextShowMnemonic;
        painter.setClipRect(contents);
        painter.drawItemText(contents, flags, option.palette, isEnabled(), option.text, QPalette::WindowText);
        if ((option.state & QStyle::State_HasFocus) != 0) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            focus.rect =
                style()->itemTextRect(fontMetrics(), contents, flags, isEnabled(), option.text) & contents;
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }
};

} // namespace

TCheckBox::TCheckBox(TComponent* owner) : TControl(owner), box_(new CheckBoxWidget()) {
    box_->setGeometry(0, 0, 97, 17);
    SetWidget(box_);
}

void TCheckBox::SetCaption(const std::string& caption) {
    caption_ = caption;
    box_->setText(ToDisplayText(caption));
}

bool TCheckBox::Checked() const {
    return box_->isChecked();
}

void TCheckBox::SetChecked(bool checked) {
    box_->setChecked(checked);
}

void TCheckBox::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    // Left-justified text has its box on the right.
    box_->setLayoutDirection(alignment == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}
