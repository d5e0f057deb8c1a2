#pragma once
// A drawn shape: a rectangle or an ellipse outlined with its Pen and filled with its Brush.

#include "platform/forms/Control.h"

enum TShapeType { stRectangle, stEllipse };

class TShape : public TControl {
public:
    explicit TShape(TComponent* owner);

    TShapeType Shape() const { return shape_; }
    void SetShape(TShapeType shape);
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

protected:
    bool IsWindowed() const override { return false; }
    QWidget* CreateWidget() override;

private:
    friend class ShapeWidget;
    void Repaint();
    TShapeType shape_ = stRectangle;
    TPen pen_;
    TBrush brush_;
};
