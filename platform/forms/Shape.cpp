#include "platform/forms/Shape.h"

#include <QPainter>
#include <QWidget>

// Paints a shape control: the outline with the pen, the inside with the brush.
class ShapeWidget : public QWidget {
public:
    explicit ShapeWidget(TShape* shape) : shape_(shape) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, shape_->shape_ == stEllipse);
        const int penWidth = shape_->pen_.Width();
        if (penWidth > 0)
            painter.setPen(QPen(ColorToQColor(shape_->pen_.Color()), penWidth));
        else
            painter.setPen(Qt::NoPen);
        painter.setBrush(ColorToQColor(shape_->brush_.Color()));
        // The pen is centred on the outline, which stays inside the control.
        const double inset = penWidth / 2.0;
        const QRectF box(inset, inset, width() - penWidth, height() - penWidth);
        if (shape_->shape_ == stEllipse)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }

private:
    TShape* shape_;
};

TShape::TShape(TComponent* owner) : TControl(owner) {
    InitBounds(0, 0, 65, 65);
    pen_.OnChange = [this] { Repaint(); };
    brush_.OnChange = [this] { Repaint(); };
}

QWidget* TShape::CreateWidget() {
    return new ShapeWidget(this);
}

void TShape::Repaint() {
    if (QWidget* widget = MadeWidget())
        widget->update();
}

void TShape::SetShape(TShapeType shape) {
    shape_ = shape;
    Repaint();
}
