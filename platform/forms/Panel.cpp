#include "platform/forms/Panel.h"

#include <QFrame>

TPanel::TPanel(TComponent* owner) : TControl(owner) {
    auto* frame = new QFrame();
    frame->setGeometry(0, 0, 185, 41);
    frame->setLineWidth(1);
    SetWidget(frame);
    SetBevelOuter(bvRaised);
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    bevelOuter_ = bevel;
    auto* frame = static_cast<QFrame*>(Widget());
    switch (bevel) {
    case bvNone:
        frame->setFrameStyle(QFrame::NoFrame);
        break;
    case bvLowered:
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case bvRaised:
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
}
