#include "platform/forms/Menus.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "platform/forms/ByteText.h"
#include "platform/forms/Control.h"
#include "platform/forms/Form.h"

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

QAction* TMenuItem::Action() const {
    if (action_ == nullptr)
        MakeAction();
    return action_;
}

void TMenuItem::MakeAction() const {
    action_ = new QAction();
    UpdateActionText();
    UpdateCheck();
    action_->setVisible(visible_);
    action_->setEnabled(enabled_);
    auto* self = const_cast<TMenuItem*>(this);
    QPointer<QAction> guard(action_);
    QObject::connect(action_, &QAction::triggered, [self, guard] {
        // The check mark is the program's to set; a click does not toggle it.
        self->UpdateCheck();
        // The click runs once the menu has closed, as a command that arrives after the menu, so
        // that a handler may delete the menu it came from.
        QMetaObject::invokeMethod(
            qApp,
            [self, guard] {
                if (!guard.isNull())
                    self->Click();
            },
            Qt::QueuedConnection);
    });
}

TMenuItem::~TMenuItem() {
    while (!items_.empty())
        delete items_.back();
    if (parent_ != nullptr) {
        auto& siblings = parent_->items_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        TMenuItem* parent = parent_;
        parent_ = nullptr;
        parent->Changed();
    }
    // Deleting the action takes it out of every menu that shows it.
    delete action_;
    delete subMenu_;
}

void TMenuItem::SetCaption(const std::string& caption) {
    caption_ = caption;
    UpdateActionText();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    shortCut_ = shortCut;
    UpdateActionText();
}

void TMenuItem::UpdateActionText() const {
    if (action_ == nullptr)
        return;
    action_->setSeparator(IsLine());
    // A separator's text would be drawn on its line.
    if (IsLine()) {
        action_->setText(QString());
        return;
    }
    QString text = ToDisplayText(caption_);
    if (shortCut_ != 0) {
        // Shown beside the caption only: the layer matches shortcuts itself (TForm), so Qt must
        // not know them as well.
        const QKeySequence sequence = ShortCutToKeySequence(shortCut_);
        if (!sequence.isEmpty())
            text += QLatin1Char('\t') + sequence.toString(QKeySequence::NativeText);
    }
    action_->setText(text);
}

void TMenuItem::SetChecked(bool checked) {
    checked_ = checked;
    UpdateCheck();
}

void TMenuItem::UpdateCheck() const {
    if (action_ == nullptr)
        return;
    action_->setCheckable(checked_);
    action_->setChecked(checked_);
}

void TMenuItem::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    if (action_ != nullptr)
        action_->setVisible(visible);
    if (parent_ != nullptr)
        parent_->Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (action_ != nullptr)
        action_->setEnabled(enabled);
}

TMenuItem* TMenuItem::Items(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) {
    Insert(Count(), item);
}

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (item == nullptr || item == this)
        return;
    if (item->parent_ != nullptr)
        item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
    AttachChild(index, item);
    Changed();
}

void TMenuItem::AttachChild(int index, TMenuItem* item) {
    QWidget* container = Container();
    if (container == nullptr)
        return; // a popup menu not made yet takes its entries when it is
    QAction* before = nullptr;
    if (index + 1 < Count())
        before = items_[static_cast<size_t>(index) + 1]->Action();
    container->insertAction(before, item->Action());
}

void TMenuItem::DetachChild(TMenuItem* item) {
    // An item shown in a made container has its action.
    if (QWidget* container = Container())
        container->removeAction(item->action_);
}

QWidget* TMenuItem::Container() {
    if (menu_ != nullptr)
        return menu_->RootContainer();
    if (subMenu_ == nullptr) {
        subMenu_ = new QMenu();
        Action()->setMenu(subMenu_);
    }
    return subMenu_;
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = Items(index);
    if (item == nullptr)
        return;
    items_.erase(items_.begin() + index);
    DetachChild(item);
    item->parent_ = nullptr;
    Changed();
}

void TMenuItem::Remove(TMenuItem* item) {
    const int index = IndexOf(item);
    if (index >= 0)
        Delete(index);
}

void TMenuItem::Clear() {
    while (!items_.empty())
        delete items_.back();
}

TMenu* TMenuItem::GetParentMenu() const {
    const TMenuItem* item = this;
    while (item->parent_ != nullptr)
        item = item->parent_;
    return item->menu_;
}

void TMenuItem::Click() {
    if (OnClick)
        RunHandler([this] { OnClick(this); });
}

void TMenuItem::Changed() {
    // Only the entries of a menu bar change the form's layout.
    if (menu_ != nullptr)
        menu_->ItemsChanged();
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {
    items_->menu_ = this;
}

TMenu::~TMenu() {
    if (items_ != nullptr) {
        items_->menu_ = nullptr;
        delete items_;
    }
}

void TMenu::DeleteItems() {
    TMenuItem* root = items_;
    items_ = nullptr;
    delete root;
}

TMenuItem* TMenu::FindShortCut(TShortCut shortCut) const {
    if (shortCut == 0 || items_ == nullptr)
        return nullptr;
    std::function<TMenuItem*(const TMenuItem*)> find = [&](const TMenuItem* parent) -> TMenuItem* {
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* item = parent->Items(i);
            if (!item->Visible() || !item->Enabled())
                continue;
            if (item->ShortCut() == shortCut)
                return item;
            if (TMenuItem* found = find(item))
                return found;
        }
        return nullptr;
    };
    return find(items_);
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner), menuBar_(new QMenuBar()) {
    menuBar_->setNativeMenuBar(false);
}

TMainMenu::~TMainMenu() {
    if (form_ != nullptr)
        form_->SetMenu(nullptr);
    DeleteItems();
    delete menuBar_;
}

QWidget* TMainMenu::RootContainer() const {
    return menuBar_;
}

void TMainMenu::ItemsChanged() {
    if (form_ != nullptr)
        form_->ApplySize();
}

bool TMainMenu::IsShortCut(TShortCut shortCut) {
    TMenuItem* item = FindShortCut(shortCut);
    if (item == nullptr)
        return false;
    item->Click();
    return true;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner), users_(&TControl::popupSlot_) {}

TPopupMenu::~TPopupMenu() {
    for (TControl* user : users_.Members())
        user->SetPopupMenu(nullptr);
    DeleteItems();
    if (menu_ != nullptr) {
        menu_->hide();
        delete menu_;
    }
}

QWidget* TPopupMenu::RootContainer() const {
    return menu_;
}

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup)
        RunHandler([this] { OnPopup(this); });
    // Made at the first opening: a table gives every label a menu, and most are never opened.
    if (menu_ == nullptr) {
        menu_ = new QMenu();
        for (int i = 0; i < Items()->Count(); ++i)
            menu_->addAction(Items()->Items(i)->Action());
    }
    menu_->popup(QPoint(x, y));
}

QMenu* TPopupMenu::OpenMenu() const {
    return menu_ != nullptr && menu_->isVisible() ? menu_ : nullptr;
}

void TPopupMenu::AddUser(TControl* control) {
    users_.Add(control);
}

void TPopupMenu::RemoveUser(TControl* control) {
    users_.Remove(control);
    if (popupComponent_ == control)
        popupComponent_ = nullptr;
}
