// Labels: sizes measured with Qt's font metrics, alignment, fonts and what they show.
#include <string>

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <gtest/gtest.h>

#include "platform/forms/Form.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/Label.h"

namespace {

// The Qt font a label with this face and point size must use (96 pixels per inch).
QFont ExpectedFont(const char* face, int pixels) {
    QFont font(QString::fromLatin1(face));
    font.setPixelSize(pixels);
    return font;
}

class LabelTest : public ::testing::Test {
protected:
    LabelTest() {
        label = new TLabel(&form);
        label->SetParent(&form);
        label->Font().SetName("Arial");
        label->Font().SetSize(8);
    }
    TForm form{nullptr};
    TLabel* label;
};

} // namespace

TEST_F(LabelTest, auto_size_takes_the_width_of_the_caption_and_the_height_of_a_line) {
    label->SetCaption("00:00:00.00");
    const QFontMetrics metrics(ExpectedFont("Arial", 11));
    EXPECT_EQ(label->Width(), metrics.horizontalAdvance(QStringLiteral("00:00:00.00")));
    EXPECT_EQ(label->Height(), metrics.height());
    EXPECT_EQ(label->Canvas()->TextWidth("00:00:00.00"), label->Width());
    EXPECT_EQ(label->Canvas()->TextHeight("Agi"), label->Height());
}

TEST_F(LabelTest, arial_is_asked_for_by_name_and_resolves_to_a_metric_compatible_face) {
    EXPECT_EQ(QFontInfo(label->Label()->font()).family(), QStringLiteral("Liberation Sans"));
    // Drawn as wide as it is measured, though the form around it is in the dialog font.
    EXPECT_EQ(form.Font().Name(), "MS Sans Serif");
    EXPECT_EQ(label->Label()->fontMetrics().horizontalAdvance(QStringLiteral("Harbour Sprint")),
              label->Canvas()->TextWidth("Harbour Sprint"));
}

TEST(LabelFonts, the_dialog_font_stands_in_with_an_arial_sized_face_so_designed_captions_fit) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    EXPECT_EQ(label->Font().Name(), "MS Sans Serif");
    EXPECT_EQ(QFontInfo(label->Label()->font()).family().toStdString(), "Liberation Sans");
    // The split history window leaves 54 pixels for this caption before its number field.
    label->SetCaption("for the last");
    EXPECT_LE(label->Width(), 54);
}

TEST_F(LabelTest, font_sizes_are_points_at_96_pixels_per_inch) {
    struct Row {
        int points;
        int pixels;
    };
    for (const Row row : {Row{7, 9}, Row{8, 11}, Row{16, 21}, Row{24, 32}}) {
        label->Font().SetSize(row.points);
        EXPECT_EQ(label->Label()->font().pixelSize(), row.pixels) << row.points << " points";
        EXPECT_EQ(label->Font().Size(), row.points);
    }
}

TEST_F(LabelTest, an_empty_caption_keeps_the_height_of_a_line) {
    label->SetCaption("Attempts");
    label->SetCaption("");
    const QFontMetrics metrics(ExpectedFont("Arial", 11));
    EXPECT_EQ(label->Height(), metrics.height());
    EXPECT_EQ(label->Width(), metrics.horizontalAdvance(QLatin1Char(' ')));
}

TEST_F(LabelTest, a_right_justified_auto_size_label_keeps_its_right_edge) {
    label->SetAlignment(taRightJustify);
    label->SetCaption("5.00");
    label->SetLeft(100);
    const int right = label->Left() + label->Width();
    label->SetCaption("1:05.00");
    EXPECT_EQ(label->Left() + label->Width(), right);
    EXPECT_LT(label->Left(), 100);
}

TEST_F(LabelTest, without_auto_size_the_size_stays_whatever_the_caption) {
    label->SetAutoSize(false);
    label->SetBounds(4, 5, 40, 13);
    label->SetCaption("A caption much wider than forty pixels");
    EXPECT_EQ(label->Width(), 40);
    EXPECT_EQ(label->Height(), 13);
}

TEST_F(LabelTest, word_wrap_with_auto_size_keeps_the_width_and_grows_by_whole_lines) {
    label->SetAutoSize(false);
    label->SetWidth(60);
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    const QString text = QStringLiteral("A split title that needs several lines");
    label->SetCaption(text.toStdString());
    const QFontMetrics metrics(ExpectedFont("Arial", 11));
    const QRect wrapped =
        metrics.boundingRect(QRect(0, 0, 60, 10000), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    EXPECT_EQ(label->Width(), 60);
    EXPECT_EQ(label->Height(), wrapped.height());
    EXPECT_GE(label->Height(), 3 * metrics.height());
    // Narrowing the label wraps it again.
    label->SetWidth(200);
    EXPECT_LT(label->Height(), wrapped.height());
}

TEST_F(LabelTest, font_style_and_colour_reach_the_text_on_screen) {
    label->Font().SetStyle(fsUnderline | fsBold);
    label->Font().SetColor(0x0080FF); // orange, 0x00BBGGRR
    const QFont shown = label->Label()->font();
    EXPECT_TRUE(shown.underline());
    EXPECT_TRUE(shown.bold());
    EXPECT_EQ(label->Label()->palette().color(QPalette::WindowText), QColor(255, 128, 0));
    label->Font().SetStyle(0);
    EXPECT_FALSE(label->Label()->font().underline());
}

// While the form holds its updates the label measures in its new font at once, and the text on
// screen takes the font and colour by the end of the update.
TEST_F(LabelTest, a_font_set_while_the_form_holds_its_updates_reaches_the_text_at_the_end) {
    form.BeginUpdate();
    auto* held = new TLabel(&form);
    held->SetParent(&form);
    held->Font().SetName("Arial");
    held->Font().SetSize(16);
    held->Font().SetColor(0x0080FF);
    held->SetCaption("00:00");
    const QFontMetrics metrics(ExpectedFont("Arial", 21));
    EXPECT_EQ(held->Width(), metrics.horizontalAdvance(QStringLiteral("00:00")));
    form.EndUpdate();
    EXPECT_EQ(held->Label()->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(held->Label()->font().pixelSize(), 21);
    EXPECT_EQ(held->Label()->palette().color(QPalette::WindowText), QColor(255, 128, 0));
}

TEST_F(LabelTest, an_empty_font_name_leaves_the_face_unchanged) {
    label->Font().SetName("");
    EXPECT_EQ(label->Font().Name(), "Arial");
}

TEST(LabelFonts, a_label_takes_its_parents_font_until_it_gets_its_own) {
    TForm form(nullptr);
    form.Font().SetName("Arial");
    form.Font().SetSize(12);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    EXPECT_EQ(label->Font().Name(), "Arial");
    EXPECT_EQ(label->Font().Size(), 12);
    form.Font().SetSize(14);
    EXPECT_EQ(label->Font().Size(), 14);
    label->Font().SetSize(7);
    form.Font().SetSize(20);
    EXPECT_EQ(label->Font().Size(), 7);
    EXPECT_FALSE(label->ParentFont());
}

TEST(LabelText, captions_are_plain_text_and_byte_strings_are_decoded) {
    struct Row {
        const char* what;
        std::string bytes;
        QString shown;
    };
    const Row rows[] = {
        {"ascii", "Level 1", QStringLiteral("Level 1")},
        {"an ampersand is not an accelerator", "A & B", QStringLiteral("A & B")},
        {"valid UTF-8", "Z\xC3\xBCrich \xE2\x82\xAC", QString::fromUtf8("Z\xC3\xBCrich \xE2\x82\xAC")},
        {"Windows-1252", "\xE9t\xE9 \x80 \x96",
         QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xE2\x80\x93")},
        {"a broken UTF-8 sequence falls back to Windows-1252", "\xC3(", QString::fromUtf8("\xC3\x83(")},
        {"an overlong form is not UTF-8", "\xC0\xAF", QString::fromUtf8("\xC3\x80\xC2\xAF")},
    };
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    for (const Row& row : rows) {
        label->SetCaption(row.bytes);
        EXPECT_EQ(label->Label()->text(), row.shown) << row.what;
        EXPECT_EQ(label->Caption(), row.bytes) << row.what;
    }
}
