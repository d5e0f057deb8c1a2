#include "platform/forms/Graphics.h"

#include <cmath>
#include <vector>

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPalette>

#include "platform/forms/ByteText.h"

namespace {

constexpr int kPixelsPerInch = 96;

// a * b / c rounded half away from zero, as the Windows helper did.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// The pixel size Qt is asked for when a font has height 0 (the system's default height).
constexpr int kDefaultPixelSize = 12;

// The dialog font, a small bitmap face of 8 points that is rarely installed. Its stand-in is the
// Arial-metric face set narrower, to about the widths of the original: the dialogs were laid out
// for those, and at its own width the stand-in cuts off captions that fitted.
constexpr char kDialogFontName[] = "MS Sans Serif";
constexpr int kDialogFontStretch = 92;

bool DialogFontInstalled() {
    static const bool installed = QFontDatabase::hasFamily(QString::fromLatin1(kDialogFontName));
    return installed;
}

} // namespace

QColor ColorToQColor(TColor color) {
    if (color == clNone)
        return QColor(Qt::transparent);
    if ((color & 0xFF000000u) == 0x80000000u) {
        const QPalette palette = QApplication::palette();
        switch (color & 0xFFu) {
        case 5:
            return palette.color(QPalette::Base);
        case 8:
            return palette.color(QPalette::Text);
        case 18:
            return palette.color(QPalette::ButtonText);
        case 15:
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

TColor QColorToColor(const QColor& color) {
    return static_cast<TColor>(color.red()) | (static_cast<TColor>(color.green()) << 8) |
           (static_cast<TColor>(color.blue()) << 16);
}

TFont::TFont() : name_("MS Sans Serif"), height_(-11), color_(clWindowText) {}

TFont::TFont(const TFont& other)
    : name_(other.name_), height_(other.height_), color_(other.color_), style_(other.style_) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other && !SameAs(other)) {
        name_ = other.name_;
        height_ = other.height_;
        color_ = other.color_;
        style_ = other.style_;
        Changed();
    }
    return *this;
}

bool TFont::SameAs(const TFont& other) const {
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
           style_ == other.style_;
}

void TFont::SetName(const std::string& name) {
    if (name.empty() || name == name_)
        return;
    name_ = name;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(height_, 72, kPixelsPerInch);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, kPixelsPerInch, 72));
}

void TFont::SetHeight(int height) {
    if (height == height_)
        return;
    height_ = height;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == style_)
        return;
    style_ = style;
    Changed();
}

void TFont::Changed() {
    if (OnChange)
        OnChange();
}

QFont TFont::ToQFont() const {
    QFont font(QString::fromStdString(name_));
    // Every font says its stretch, so that a control's face is never narrowed by a parent in the
    // dialog font: Qt takes what a font leaves unset from the parent widget's font.
    if (name_ == kDialogFontName && !DialogFontInstalled()) {
        font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
        font.setStretch(kDialogFontStretch);
    } else {
        font.setStretch(QFont::AnyStretch);
    }
    const int pixels = height_ < 0 ? -height_ : height_;
    font.setPixelSize(pixels > 0 ? pixels : kDefaultPixelSize);
    font.setBold((style_ & fsBold) != 0);
    font.setItalic((style_ & fsItalic) != 0);
    font.setUnderline((style_ & fsUnderline) != 0);
    font.setStrikeOut((style_ & fsStrikeOut) != 0);
    return font;
}

int TextWidth(const TFont& font, const std::string& text) {
    return QFontMetrics(font.ToQFont()).horizontalAdvance(ToDisplayText(text));
}

int TextHeight(const TFont& font, const std::string& /*text*/) {
    // The height of a line of the font, whatever characters the text holds.
    return LineMetrics(font).height;
}

TLineMetrics LineMetrics(const TFont& font) {
    struct Entry {
        TFont font;
        TLineMetrics metrics;
    };
    static std::vector<Entry> known;
    for (const Entry& entry : known)
        if (entry.font.Name() == font.Name() && entry.font.Height() == font.Height() &&
            entry.font.Style() == font.Style())
            return entry.metrics;
    const QFontMetrics metrics(font.ToQFont());
    const TLineMetrics measured{metrics.horizontalAdvance(QStringLiteral(" ")), metrics.height()};
    if (known.size() >= 32)
        known.clear();
    known.push_back(Entry{font, measured});
    return measured;
}

void TPen::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    if (OnChange)
        OnChange();
}

void TPen::SetWidth(int width) {
    if (width == width_)
        return;
    width_ = width;
    if (OnChange)
        OnChange();
}

void TBrush::SetColor(TColor color) {
    if (color == color_)
        return;
    color_ = color;
    if (OnChange)
        OnChange();
}
