#pragma once
// A timer that runs OnTimer every Interval milliseconds while Enabled (a new timer is enabled,
// with an interval of 1000). Setting the interval starts the count again. It runs on the
// thread of the message loop; ticks that fall due while a handler runs are not queued up.

#include "platform/forms/Component.h"

class QTimer;

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);

    TNotifyEvent OnTimer;

private:
    void Update();

    QTimer* timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};
