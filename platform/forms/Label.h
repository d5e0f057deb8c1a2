#pragma once
// A text on its parent: caption, font, alignment, auto-size and word wrap.
//
// With AutoSize the label takes the size of its caption in its font (Qt font metrics): the width
// of the text and the height of its line; with WordWrap as well, the width stays and the height
// follows the wrapped lines. A right-justified auto-size label keeps its right edge. An empty
// caption measures as one blank, so an auto-size label keeps the height of a line. The caption
// is plain text ("&" is shown as it is). A transparent label lets its parent show through; an
// opaque one fills its Color once one is set.

#include <string>

#include "platform/forms/Control.h"

class QLabel;

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    // Measurement in the label's font.
    TCanvas* Canvas() { return &canvas_; }
    // How far down from its top the caption is drawn: its lines (wrapped at the width with
    // WordWrap), at most the label's height; 0 for an empty caption. A label taller than its
    // text draws nothing below it.
    int DrawnTextHeight() const;

    // The text on screen, for tests (made now if it was not yet).
    QLabel* Label() const;

protected:
    bool IsWindowed() const override { return false; }
    QWidget* CreateWidget() override;
    // An opaque label shows its parent's colour until a colour of its own is set.
    bool FillsBackground() const override { return !transparent_ && colorSet_; }
    void ColorChanged() override;
    void FontChanged() override;
    void Resized() override;

private:
    void AdjustBounds();
    void ApplyAlignment();

    QLabel* label_ = nullptr;
    std::string caption_;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    TAlignment alignment_ = taLeftJustify;
    bool transparent_ = false;
    bool colorSet_ = false;
    bool adjusting_ = false;
    TCanvas canvas_;
};
