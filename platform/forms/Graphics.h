#pragma once
// Colours, fonts, pens, brushes and text measurement.
//
// Colours are Windows colour values, 0x00BBGGRR (as HexToColor makes them); values with the top
// bit set name a colour of the system palette (clBtnFace ...). Fonts are asked for by name and
// sized in points at 96 pixels per inch, so a size gives the same pixel height on every screen;
// fontconfig substitutes a face that is missing ("Arial" becomes Liberation Sans); the dialog
// font "MS Sans Serif", where it is missing, stands in as Liberation Sans set a little narrower.
// Text is measured with Qt's font metrics of the real font.

#include <cstdint>
#include <functional>
#include <string>

#include <QColor>
#include <QFont>

using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clWhite = 0xFFFFFF;
// System colours.
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnText = 0x80000012;
// "No colour": a shape or control painted without a fill.
constexpr TColor clNone = 0x1FFFFFFF;

QColor ColorToQColor(TColor color);
// The Windows colour value of an opaque Qt colour.
TColor QColorToColor(const QColor& color);

struct TPoint {
    int X = 0;
    int Y = 0;
};

// A rectangle in pixels; Right and Bottom lie just past it.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

using TFontStyles = unsigned;
constexpr TFontStyles fsBold = 1;
constexpr TFontStyles fsItalic = 2;
constexpr TFontStyles fsUnderline = 4;
constexpr TFontStyles fsStrikeOut = 8;

// A font description. Size is in points; Height in pixels (negative: the character height
// without internal leading, as the class library kept it). Setting either sets the other.
class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other); // copies the description, not the change handler

    const std::string& Name() const { return name_; }
    // An empty name leaves the name unchanged.
    void SetName(const std::string& name);
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);

    void Assign(const TFont& other) { *this = other; }
    bool SameAs(const TFont& other) const;

    // The Qt font of this description.
    QFont ToQFont() const;

    // Called after every change; the control that owns the font sets it.
    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_;
    int height_;
    TColor color_;
    TFontStyles style_ = 0;
};

// Text measurement in a font, with Qt's font metrics: the advance width of the text and the
// line height (ascent plus descent) of the font.
int TextWidth(const TFont& font, const std::string& text);
int TextHeight(const TFont& font, const std::string& text);

// The advance of one blank and the height of a line in a font. Remembered for the few fonts in
// use: every new label measures its empty caption, and a table makes thousands of them.
struct TLineMetrics {
    int blankWidth;
    int height;
};
TLineMetrics LineMetrics(const TFont& font);

// A drawing surface's font and its measurement, as a label offers it.
class TCanvas {
public:
    explicit TCanvas(TFont* font) : font_(font) {}
    TFont& Font() { return *font_; }
    int TextWidth(const std::string& text) const { return ::TextWidth(*font_, text); }
    int TextHeight(const std::string& text) const { return ::TextHeight(*font_, text); }

private:
    TFont* font_;
};

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    std::function<void()> OnChange;

private:
    TColor color_ = clBlack;
    int width_ = 1;
};

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    std::function<void()> OnChange;

private:
    TColor color_ = clWhite;
};
