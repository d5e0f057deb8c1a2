#include "ui/DialogFrame.h"

#include "core/TextHelpers.h"
#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Form.h"
#include "platform/forms/Label.h"
#include "platform/forms/Shape.h"

void SetUpDialogFrame(TForm& form, const std::string& name, int width, int height) {
    form.SetName(name);
    form.SetBorderStyle(bsNone);
    form.SetKeyPreview(true);
    form.SetColor(clBtnFace);
    form.Font().SetName("MS Sans Serif");
    form.Font().SetHeight(-11);
    form.SetClientWidth(width);
    form.SetClientHeight(height);
}

TButton* AddBackButton(TForm& form, int left, int tabOrder) {
    auto* button = new TButton(&form);
    button->SetName("BackButton");
    button->SetParent(&form);
    button->SetBounds(left, 0, 15, 21);
    button->SetCaption("X");
    button->SetTabOrder(tabOrder);
    return button;
}

TLabel* AddLabel(TForm& form, const std::string& name, int left, int top, const std::string& caption) {
    auto* label = new TLabel(&form);
    label->SetName(name);
    label->SetParent(&form);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TLabel* AddRightLabel(TForm& form, const std::string& name, int left, int top, int width) {
    auto* label = new TLabel(&form);
    label->SetName(name);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->SetBounds(left, top, width, 13);
    label->SetAlignment(taRightJustify);
    label->SetAutoSize(true);
    return label;
}

TEdit* AddEdit(TForm& form, const std::string& name, int left, int top, int width, int tabOrder) {
    auto* edit = new TEdit(&form);
    edit->SetName(name);
    edit->SetParent(&form);
    edit->SetBounds(left, top, width, 21);
    edit->SetTabOrder(tabOrder);
    return edit;
}

TShape* AddSwatch(TForm& form, const std::string& name, int left, int top) {
    auto* shape = new TShape(&form);
    shape->SetName(name);
    shape->SetParent(&form);
    shape->SetBounds(left, top, 21, 21);
    shape->SetShape(stEllipse);
    shape->Pen().SetWidth(2);
    return shape;
}

void HandleDialogKey(char& key, const std::function<void()>& back) {
    if (key == 27) {
        key = 0;
        back();
    }
}

void PaintSwatch(TShape& swatch, const TEdit& edit, bool bgr) {
    swatch.Brush().SetColor(HexToColor(edit.Text(), bgr));
}
