#include "platform/forms/Timer.h"

#include <QTimer>

#include "platform/forms/Control.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_(new QTimer()) {
    QObject::connect(timer_, &QTimer::timeout, [this] {
        if (OnTimer)
            RunHandler([this] { OnTimer(this); });
    });
    Update();
}

TTimer::~TTimer() {
    delete timer_;
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

void TTimer::Update() {
    if (enabled_ && interval_ > 0)
        timer_->start(interval_);
    else
        timer_->stop();
}
