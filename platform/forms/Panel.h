#pragma once
// A windowed area filled with its Color, on which other controls are placed. BevelOuter draws
// a one-pixel raised (or lowered) edge.

#include "platform/forms/Control.h"

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut bevel);

protected:
    bool FillsBackground() const override { return true; }

private:
    TBevelCut bevelOuter_ = bvRaised;
};
