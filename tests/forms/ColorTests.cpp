// Colours: Windows colour values (0x00BBGGRR) as they reach the screen.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/forms/Form.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/Label.h"
#include "platform/forms/Panel.h"
#include "platform/forms/Shape.h"

namespace {

// What the widget paints over a black background (the window background left out).
QImage Render(QWidget* widget, bool withBackground = true) {
    QImage image(widget->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    widget->render(&image, QPoint(), QRegion(),
                   withBackground
                       ? QWidget::RenderFlags(QWidget::DrawWindowBackground | QWidget::DrawChildren)
                       : QWidget::RenderFlags(QWidget::DrawChildren));
    return image;
}

} // namespace

TEST(Colors, windows_colour_values_are_blue_green_red_from_the_high_byte_down) {
    struct Row {
        TColor color;
        QColor shown;
    };
    for (const Row row : {Row{0x0000FF, QColor(255, 0, 0)}, Row{0x00FF00, QColor(0, 255, 0)},
                          Row{0xFF0000, QColor(0, 0, 255)}, Row{0x0080FF, QColor(255, 128, 0)},
                          Row{0x222222, QColor(34, 34, 34)}, Row{clWhite, QColor(255, 255, 255)}}) {
        EXPECT_EQ(ColorToQColor(row.color), row.shown) << std::hex << row.color;
        EXPECT_EQ(QColorToColor(row.shown), row.color);
    }
}

TEST(Colors, system_colours_come_from_the_palette) {
    EXPECT_EQ(ColorToQColor(clBtnFace), QApplication::palette().color(QPalette::Window));
    EXPECT_EQ(ColorToQColor(clWindow), QApplication::palette().color(QPalette::Base));
}

TEST(Colors, a_form_and_a_panel_are_filled_with_their_colour) {
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetClientWidth(40);
    form.SetClientHeight(40);
    form.SetColor(0x000080); // maroon
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBevelOuter(bvNone);
    panel->SetBounds(20, 20, 20, 20);
    panel->SetColor(0x222222);
    form.Show();
    const QImage image = Render(form.Widget());
    EXPECT_EQ(QColor(image.pixel(5, 5)), QColor(128, 0, 0));
    EXPECT_EQ(QColor(image.pixel(30, 30)), QColor(34, 34, 34));
}

TEST(Colors, an_ellipse_swatch_shows_its_brush_inside_and_its_pen_on_the_edge) {
    TForm form(nullptr);
    auto* shape = new TShape(&form);
    shape->SetParent(&form);
    shape->SetShape(stEllipse);
    shape->SetBounds(0, 0, 21, 21);
    shape->Pen().SetWidth(2);
    shape->Brush().SetColor(0x00FF00);
    form.Show();
    shape->Pen().SetColor(clWhite);
    const QImage image = Render(shape->Widget(), false);
    EXPECT_EQ(QColor(image.pixel(10, 10)), QColor(0, 255, 0));
    EXPECT_GT(qGray(image.pixel(10, 0)), 200);             // the white pen at the top edge
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(0, 0, 0)); // outside the ellipse: nothing drawn
    shape->Brush().SetColor(0x0000FF);
    EXPECT_EQ(QColor(Render(shape->Widget(), false).pixel(10, 10)), QColor(255, 0, 0));
}

TEST(Colors, a_transparent_label_shows_its_parent_and_an_opaque_one_its_own_colour) {
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetColor(clWhite);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->SetBounds(0, 0, 30, 30);
    label->SetTransparent(true);
    label->SetColor(0x0000FF);
    form.Show();
    EXPECT_EQ(QColor(Render(form.Widget()).pixel(25, 25)), QColor(255, 255, 255));
    label->SetTransparent(false);
    EXPECT_EQ(QColor(Render(form.Widget()).pixel(25, 25)), QColor(255, 0, 0));
}
