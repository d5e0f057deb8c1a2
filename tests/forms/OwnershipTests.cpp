// The owner rule of components, controls placed on parents and menu items in their menus.
#include <string>
#include <vector>

#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/forms/Component.h"
#include "platform/forms/Form.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"

namespace {

// A component that notes its destruction in a log.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::vector<std::string>& log, const std::string& name)
        : TComponent(owner), log_(log) {
        SetName(name);
    }
    ~Probe() override { log_.push_back(Name()); }

private:
    std::vector<std::string>& log_;
};

// A label that notes its destruction.
class ProbeLabel : public TLabel {
public:
    ProbeLabel(TComponent* owner, std::vector<std::string>& log, const std::string& name)
        : TLabel(owner), log_(log) {
        SetName(name);
    }
    ~ProbeLabel() override { log_.push_back(Name()); }

private:
    std::vector<std::string>& log_;
};

} // namespace

TEST(OwnerRule, deleting_an_owner_deletes_what_it_owns_last_created_first) {
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, log, "owner");
    new Probe(owner, log, "a");
    auto* b = new Probe(owner, log, "b");
    new Probe(b, log, "b1");
    EXPECT_EQ(owner->ComponentCount(), 2);
    delete owner;
    // Each destructor notes itself before its owned components go.
    EXPECT_EQ(log, (std::vector<std::string>{"owner", "b", "b1", "a"}));
}

TEST(OwnerRule, a_component_deleted_first_leaves_its_owner) {
    std::vector<std::string> log;
    auto* owner = new Probe(nullptr, log, "owner");
    auto* a = new Probe(owner, log, "a");
    new Probe(owner, log, "b");
    delete a;
    ASSERT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0)->Name(), "b");
    EXPECT_EQ(owner->FindComponent("a"), nullptr);
    delete owner; // "a" is not deleted a second time
    EXPECT_EQ(log, (std::vector<std::string>{"a", "owner", "b"}));
}

TEST(OwnerRule, tag_holds_a_pointer) {
    // A counter object is kept in a menu item's Tag.
    std::vector<std::string> log;
    Probe counter(nullptr, log, "counter");
    TMenuItem item(nullptr);
    item.SetTag(reinterpret_cast<intptr_t>(&counter));
    EXPECT_EQ(reinterpret_cast<Probe*>(item.Tag()), &counter);
}

TEST(ControlParents, deleting_a_parent_deletes_the_controls_placed_on_it_whoever_owns_them) {
    std::vector<std::string> log;
    auto* form = new TForm(nullptr);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* label = new ProbeLabel(form, log, "label"); // owned by the form, placed on the panel
    label->SetParent(panel);
    const int owned = form->ComponentCount();
    delete panel;
    EXPECT_EQ(log, (std::vector<std::string>{"label"}));
    EXPECT_EQ(form->ComponentCount(), owned - 2);
    EXPECT_EQ(form->ControlCount(), 0);
    delete form;
    EXPECT_EQ(log.size(), 1u);
}

TEST(ControlParents, a_deleted_control_leaves_its_parent_and_its_widget_goes) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    QPointer<QWidget> widget(label->Widget());
    ASSERT_EQ(form.ControlCount(), 1);
    delete label;
    EXPECT_EQ(form.ControlCount(), 0);
    EXPECT_TRUE(widget.isNull());
}

TEST(ControlParents, a_form_frees_its_controls_menus_and_popup_menus) {
    std::vector<std::string> log;
    auto* form = new TForm(nullptr);
    auto* popup = new TPopupMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption("Item");
    popup->Items()->Add(item);
    form->SetPopupMenu(popup);
    auto* menu = new TMainMenu(form);
    form->SetMenu(menu);
    auto* file = new TMenuItem(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    auto* label = new ProbeLabel(form, log, "label");
    label->SetParent(form);
    label->SetPopupMenu(popup);
    delete form; // the address sanitizer build checks that nothing is freed twice
    EXPECT_EQ(log, (std::vector<std::string>{"label"}));
}

TEST(ControlParents, deleting_a_popup_menu_takes_it_off_its_controls) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    auto* popup = new TPopupMenu(&form);
    label->SetPopupMenu(popup);
    form.SetPopupMenu(popup);
    delete popup;
    EXPECT_EQ(label->PopupMenu(), nullptr);
    EXPECT_EQ(form.PopupMenu(), nullptr);
}

TEST(MenuItemOwnership, deleting_a_parent_item_deletes_its_children_and_their_owners_forget_them) {
    std::vector<std::string> log;
    TForm form(nullptr);
    auto* label = new TLabel(&form); // table popups: the items belong to the label
    auto* popup = new TPopupMenu(&form);
    auto* parent = new TMenuItem(label);
    popup->Items()->Add(parent);
    for (const char* caption : {"One", "Two"}) {
        auto* child = new TMenuItem(label);
        child->SetCaption(caption);
        parent->Add(child);
    }
    ASSERT_EQ(label->ComponentCount(), 3);
    ASSERT_NE(parent->SubMenu(), nullptr);
    EXPECT_EQ(parent->SubMenu()->actions().size(), 2);
    delete parent;
    EXPECT_EQ(label->ComponentCount(), 0);
    EXPECT_EQ(popup->Items()->Count(), 0);
}

TEST(MenuItemOwnership, delete_takes_an_item_out_without_deleting_it_and_clear_deletes) {
    TPopupMenu popup(nullptr);
    auto* a = new TMenuItem(&popup);
    auto* b = new TMenuItem(&popup);
    popup.Items()->Add(a);
    popup.Items()->Add(b);
    popup.Items()->Delete(0);
    ASSERT_EQ(popup.Items()->Count(), 1);
    EXPECT_EQ(popup.Items()->Items(0), b);
    EXPECT_EQ(a->Parent(), nullptr);
    EXPECT_EQ(popup.ComponentCount(), 3); // the root item, a and b: a is still alive
    popup.Items()->Insert(0, a);
    EXPECT_EQ(popup.Items()->IndexOf(a), 0);
    popup.Items()->Clear();
    EXPECT_EQ(popup.Items()->Count(), 0);
    EXPECT_EQ(popup.ComponentCount(), 1);
}
