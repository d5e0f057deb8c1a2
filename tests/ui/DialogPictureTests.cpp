// A picture of the colour dialog as the user sees it, drawn offscreen and saved beside the test
// program (in the build folder) to look at; its controls are checked where the picture shows
// them, not only where the controls say they are.
#include <filesystem>
#include <string>

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Shape.h"
#include "platform/forms/TestSeams.h"
#include "ui/ColorSettingsUnit.h"

namespace {

// Where a control sits in the picture of its window.
QRect PlaceInWindow(const TControl* control) {
    const QWidget* widget = control->Widget();
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

TEST(DialogPicture, ShowsTheColourDialogWithItsRowsAndSwatchesWhereTheyBelong) {
    TColorSettingsForm form(nullptr);
    form.EntryCount = 3;
    form.Entry1Label->SetCaption("Background Color");
    form.Entry1Edit->SetText("FF0000");
    form.Entry2Label->SetCaption("Ahead");
    form.Entry2Edit->SetText("00C000");
    form.Entry3Label->SetCaption("Behind");
    form.Entry3Edit->SetText("0000FF");
    form.Entry4Edit->SetText("FFFF00"); // a hidden row from before

    QImage picture;
    TControl* edits[] = {form.Entry1Edit, form.Entry2Edit, form.Entry3Edit};
    TControl* swatches[] = {form.FontColor1Shape, form.FontColor2Shape, form.FontColor3Shape};
    TLabel* labels[] = {form.Entry1Label, form.Entry2Label, form.Entry3Label};
    QRect editPlaces[3];
    QRect swatchPlaces[3];
    QRect labelPlaces[3];
    QRect backPlace;
    ScopedModalHandler seam([&](TForm& shown) {
        picture = shown.Widget()->window()->grab().toImage();
        for (int i = 0; i < 3; ++i) {
            editPlaces[i] = PlaceInWindow(edits[i]);
            swatchPlaces[i] = PlaceInWindow(swatches[i]);
            labelPlaces[i] = PlaceInWindow(labels[i]);
        }
        backPlace = PlaceInWindow(form.BackButton);
        return mrNone;
    });
    form.ShowModal();

    const std::string file = (std::filesystem::current_path() / "small-dialog-colour-settings.png").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(file), "PNG")) << file;
    std::printf("dialog picture: %s\n", file.c_str());

    // Three rows of 24 pixels: the fourth row is cut off by the form's edge.
    EXPECT_EQ(picture.size(), QSize(217, 72));
    EXPECT_EQ(backPlace, QRect(201, 0, 15, 21));
    const QRgb shown[] = {qRgb(255, 0, 0), qRgb(0, 0xC0, 0), qRgb(0, 0, 255)};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("row " + std::to_string(i + 1));
        EXPECT_EQ(editPlaces[i], QRect(126, 24 * i, 50, 21));
        EXPECT_EQ(swatchPlaces[i], QRect(176, 24 * i, 21, 21));
        EXPECT_EQ(labelPlaces[i].right() + 1, 124); // right-justified against the edit
        EXPECT_EQ(labelPlaces[i].top(), 24 * i + 4);
        // The swatch is a filled circle of the row's colour: its centre shows it, its corner
        // shows the dialog behind it.
        const QPoint centre = swatchPlaces[i].center();
        EXPECT_EQ(picture.pixel(centre) & 0xFFFFFF, shown[i] & 0xFFFFFF);
        EXPECT_NE(picture.pixel(swatchPlaces[i].topLeft()) & 0xFFFFFF, shown[i] & 0xFFFFFF);
    }
}

} // namespace
