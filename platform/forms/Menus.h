#pragma once
// Menus: items with captions, shortcuts, check marks and click handlers, gathered in a form's
// main menu (its menu bar) or in popup menus.
//
// Captions use "&" before the accelerator letter and "&&" for a literal ampersand; the caption
// "-" makes a separator. A shortcut (see ShortCuts.h) of a main-menu item is chosen by its key
// while the item's form is the active window: the item's OnClick runs once and the key goes no
// further. Hidden or disabled items (or items under a hidden or disabled parent) do not answer
// their shortcut. Popup menus answer no shortcuts.
//
// An item belongs to its owner (the owner rule of Component.h) and is shown in the item it was
// added to. Deleting a parent item deletes its child items; deleting an item takes it out of its
// parent.

#include <string>
#include <vector>

#include "platform/forms/Component.h"
#include "platform/forms/ShortCuts.h"

class QAction;
class QWidget;
class QMenu;
class QMenuBar;
class TMenu;
class TControl;
class TForm;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool IsLine() const { return caption_ == "-"; }

    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);

    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // Child items.
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int index) const;
    int IndexOf(const TMenuItem* item) const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item at index out of this item without deleting it.
    void Delete(int index);
    void Remove(TMenuItem* item);
    // Deletes every child item.
    void Clear();

    TMenuItem* Parent() const { return parent_; }
    // The menu this item is shown in, null when it is in none.
    TMenu* GetParentMenu() const;

    TNotifyEvent OnClick;
    // Runs OnClick with this item as the sender.
    void Click();

    // The item's Qt action (its text, check mark and visibility), for the layer and for tests.
    // Made when first asked for: a table gives every label a popup menu of several items, and
    // most of those menus are never opened.
    QAction* Action() const;
    // The submenu of an item with children, null for an item without.
    QMenu* SubMenu() const { return subMenu_; }

private:
    friend class TMenu;
    void MakeAction() const;
    void UpdateActionText() const;
    void UpdateCheck() const;
    void AttachChild(int index, TMenuItem* item);
    void DetachChild(TMenuItem* item);
    QWidget* Container();
    // The structure or visibility of a top-level item changed.
    void Changed();

    std::string caption_;
    TShortCut shortCut_ = 0;
    bool checked_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    TMenuItem* parent_ = nullptr;
    TMenu* menu_ = nullptr; // set on the root item of a menu
    std::vector<TMenuItem*> items_;
    mutable QAction* action_ = nullptr;
    QMenu* subMenu_ = nullptr;
};

// A menu: a root item whose children are the menu's entries.
class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* owner);
    ~TMenu() override;

    TMenuItem* Items() const { return items_; }
    // The enabled, visible item (searched depth first) whose shortcut this is; null when none.
    TMenuItem* FindShortCut(TShortCut shortCut) const;

protected:
    friend class TMenuItem;
    // The Qt widget that shows the menu's entries; null while it is not made yet.
    virtual QWidget* RootContainer() const = 0;
    virtual void ItemsChanged() {}
    // Deletes the items; the derived menus call it before their Qt widget goes.
    void DeleteItems();

private:
    TMenuItem* items_;
};

// The menu bar of a form (TForm::SetMenu).
class TMainMenu : public TMenu {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    // Runs the item whose shortcut this is; true when one ran.
    bool IsShortCut(TShortCut shortCut);

    // The menu bar that shows the menu (the layer places it on the form).
    QMenuBar* MenuBar() const { return menuBar_; }

private:
    friend class TForm;
    QWidget* RootContainer() const override;
    void ItemsChanged() override;
    QMenuBar* menuBar_;
    TForm* form_ = nullptr;
};

// A menu opened at a screen position, by a right click on the control that carries it. Many
// controls may carry one menu: OnPopup then gives it the items of the control clicked.
class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    // Opens the menu at screen position (x, y); returns at once, an item's OnClick runs when the
    // user picks it.
    void Popup(int x, int y);
    // The control whose right click opened the menu last (null before the first opening).
    // Null again once that control is gone.
    TControl* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TControl* control) { popupComponent_ = control; }

    // Runs as the menu is about to open, PopupComponent already set.
    TNotifyEvent OnPopup;

    // The Qt menu while it is open, null otherwise.
    QMenu* OpenMenu() const;

private:
    friend class TControl;
    QWidget* RootContainer() const override;
    void AddUser(TControl* control);
    void RemoveUser(TControl* control);

    TControl* popupComponent_ = nullptr;
    // The controls that carry the menu: a table's thousands of labels come and go in linear time.
    SlotList<TControl> users_;
    QMenu* menu_ = nullptr;
};
