#include "platform/forms/Control.h"

#include <algorithm>
#include <unordered_map>

#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>

#include "platform/forms/Application.h"
#include "platform/forms/Form.h"
#include "platform/forms/Menus.h"

namespace {

std::unordered_map<const QObject*, TControl*>& Registry() {
    static std::unordered_map<const QObject*, TControl*> registry;
    return registry;
}

} // namespace

// Hands the events of a control's widget to the control.
class ControlEventFilter : public QObject {
public:
    explicit ControlEventFilter(TControl* control) : control_(control) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != control_->widget_)
            return false;
        return control_->HandleEvent(event);
    }

private:
    TControl* control_;
};

void RunHandler(const std::function<void()>& body) {
    try {
        body();
    } catch (const std::exception& error) {
        Application.ShowException(error);
    } catch (...) {
        Application.ShowException(Exception(""));
    }
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this] {
        if (!settingParentFont_)
            parentFont_ = false;
        ApplyFont();
        FontChanged();
        for (TControl* child : controls_.Members())
            if (child->parentFont_)
                child->ParentFontChanged();
    };
}

TControl::~TControl() {
    DestroyComponents();
    // The controls placed on this one go with it, whoever owns them.
    while (!controls_.Empty())
        delete controls_.Last();
    SetPopupMenu(nullptr);
    if (parent_ != nullptr) {
        parent_->Forget(this);
        parent_ = nullptr;
    }
    if (widget_ != nullptr) {
        Registry().erase(widget_);
        widget_->removeEventFilter(filter_);
        delete filter_;
        delete widget_;
        widget_ = nullptr;
    }
}

QWidget* TControl::Widget() const {
    if (widget_ == nullptr)
        const_cast<TControl*>(this)->MakeWidget();
    return widget_;
}

void TControl::InitBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = std::max(0, width);
    height_ = std::max(0, height);
}

double TControl::DevicePixelRatio() const {
    for (const TControl* control = this; control != nullptr; control = control->parent_)
        if (control->widget_ != nullptr)
            return control->widget_->devicePixelRatioF();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

void TControl::MakeWidget() {
    if (widget_ != nullptr)
        return;
    QWidget* widget = CreateWidget();
    if (widget == nullptr)
        return; // a windowed control, still being made
    widget->setGeometry(left_, top_, width_, height_);
    SetWidget(widget);
    if (!enabled_)
        widget_->setEnabled(false);
    if (parent_ != nullptr) {
        parent_->Widget(); // a drawn parent makes its own first
        widget_->setParent(parent_->ClientWidget());
        widget_->setGeometry(left_, top_, width_, height_);
        StackInParent();
        widget_->setVisible(WidgetShown());
    }
}

void TControl::SetWidget(QWidget* widget) {
    widget_ = widget;
    Registry()[widget_] = this;
    filter_ = new ControlEventFilter(this);
    widget_->installEventFilter(filter_);
    widget_->hide();
    ApplyFont();
    ApplyBackground();
    lastClientWidth_ = ClientWidth();
    lastClientHeight_ = ClientHeight();
}

TControl* TControl::FromWidget(const QObject* widget) {
    auto& registry = Registry();
    auto it = registry.find(widget);
    return it == registry.end() ? nullptr : it->second;
}

void TControl::GetBounds(int& left, int& top, int& width, int& height) const {
    if (!IsWindowed()) {
        left = left_;
        top = top_;
        width = width_;
        height = height_;
        return;
    }
    const QRect r = widget_->geometry();
    left = r.x();
    top = r.y();
    width = r.width();
    height = r.height();
}

void TControl::PutBounds(int left, int top, int width, int height) {
    if (!IsWindowed()) {
        const bool resized = std::max(0, width) != width_ || std::max(0, height) != height_;
        InitBounds(left, top, width, height);
        if (widget_ != nullptr)
            widget_->setGeometry(left_, top_, width_, height_);
        UpdateWidgetShown();
        if (resized) {
            Resized();
            ClientResized();
        }
        return;
    }
    const QSize old = widget_->size();
    widget_->setGeometry(left, top, std::max(0, width), std::max(0, height));
    UpdateWidgetShown();
    if (widget_->size() != old) {
        Resized();
        if (ClientWidget() == widget_)
            ClientResized();
    }
}

int TControl::Left() const {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    return l;
}

int TControl::Top() const {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    return t;
}

int TControl::Width() const {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    return w;
}

int TControl::Height() const {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    return h;
}

void TControl::SetLeft(int left) {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    PutBounds(left, t, w, h);
}

void TControl::SetTop(int top) {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    PutBounds(l, top, w, h);
}

void TControl::SetWidth(int width) {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    PutBounds(l, t, width, h);
}

void TControl::SetHeight(int height) {
    int l, t, w, h;
    GetBounds(l, t, w, h);
    PutBounds(l, t, w, height);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    PutBounds(left, top, width, height);
}

int TControl::ClientWidth() const {
    const QWidget* client = ClientWidget();
    return client != nullptr ? client->width() : width_;
}

int TControl::ClientHeight() const {
    const QWidget* client = ClientWidget();
    return client != nullptr ? client->height() : height_;
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    if (!IsWindowed())
        UpdateWidgetShown();
    else
        widget_->setVisible(WidgetShown());
}

bool TControl::WidgetShown() const {
    if (!visible_ || parent_ == nullptr)
        return false;
    if (IsWindowed())
        return true;
    // A drawn control wholly outside its parent's client area would draw nothing. Shown to Qt
    // all the same, every repaint that involves it checks it against all its shown siblings,
    // which makes a table of thousands of labels, most of them beyond the window's edge,
    // repaint in quadratic time. Nor is it given a widget while it is out there. The client area
    // is the one Qt has: a form's stops at the screens' size, however large the form was asked
    // to be, so that no shape of a table puts more drawn controls in sight than a screen holds.
    const QWidget* client = parent_->ClientWidget();
    const int width = client != nullptr ? client->width() : parent_->ClientWidth();
    const int height = client != nullptr ? client->height() : parent_->ClientHeight();
    return left_ + width_ > 0 && top_ + height_ > 0 && left_ < width && top_ < height;
}

void TControl::UpdateWidgetShown() {
    if (IsWindowed())
        return; // shown as Visible says
    if (widget_ == nullptr) {
        if (parent_ == nullptr)
            return;
        if (parent_->updating_ > 0) {
            if (!parent_->undecided_.Contains(this))
                parent_->undecided_.Add(this);
        } else if (WidgetShown()) {
            MakeWidget();
        }
        return;
    }
    const bool shown = WidgetShown();
    if (widget_->isHidden() == shown)
        widget_->setVisible(shown);
}

bool TControl::Showing() const {
    if (!visible_)
        return false;
    if (parent_ != nullptr)
        return parent_->Showing();
    return dynamic_cast<const TForm*>(this) != nullptr;
}

bool TControl::Enabled() const {
    if (widget_ == nullptr)
        return enabled_;
    return !widget_->testAttribute(Qt::WA_ForceDisabled);
}

void TControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (widget_ != nullptr)
        widget_->setEnabled(enabled);
}

void TControl::SetParent(TControl* parent) {
    if (parent == parent_ || parent == this)
        return;
    if (parent_ != nullptr)
        parent_->Forget(this);
    parent_ = parent;
    // A font held by the parent it leaves goes to the widget now, or waits for the new one.
    if (fontHeld_) {
        fontHeld_ = false;
        ApplyFont();
    }
    static unsigned long long placings = 0;
    placed_ = ++placings;
    if (parent_ != nullptr) {
        parent_->controls_.Add(this);
        if (widget_ != nullptr) {
            const QRect geometry = widget_->geometry();
            parent_->Widget(); // a drawn parent makes its own first
            widget_->setParent(parent_->ClientWidget());
            widget_->setGeometry(geometry);
            StackInParent();
        }
        if (parentFont_)
            ParentFontChanged();
        parent_->ChainTabOrder(this);
    } else if (widget_ != nullptr) {
        const QRect geometry = widget_->geometry();
        widget_->setParent(nullptr);
        widget_->setGeometry(geometry);
    }
    VisibleChanged();
}

TControl* TControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount())
        return nullptr;
    return controls_.At(static_cast<size_t>(index));
}

void TControl::Forget(TControl* child) {
    if (!controls_.Contains(child))
        return;
    undecided_.Remove(child);
    fontsHeld_.erase(child);
    auto drawn = drawnWidgets_.find(child->placed_);
    if (drawn != drawnWidgets_.end() && drawn->second == child)
        drawnWidgets_.erase(drawn);
    controls_.Remove(child);
    if (child == lowestWindowed_) {
        lowestWindowed_ = nullptr;
        lowestWindowedKnown_ = false;
    }
    if (child == tabLast_) {
        tabLast_ = nullptr;
        tabLastKnown_ = false;
    }
}

TForm* TControl::ParentForm() {
    for (TControl* control = this; control != nullptr; control = control->parent_)
        if (auto* form = dynamic_cast<TForm*>(control))
            return form;
    return nullptr;
}

void TControl::StackInParent() {
    if (IsWindowed()) {
        widget_->raise();
        // On top of the others: the lowest only when it is the only one.
        if (parent_->lowestWindowedKnown_ && parent_->lowestWindowed_ == nullptr)
            parent_->lowestWindowed_ = this;
        return;
    }
    // Under the drawn sibling placed next after it that has a widget, else under the lowest
    // windowed sibling: above the drawn controls placed before it, below the windowed ones.
    auto& drawn = parent_->drawnWidgets_;
    const auto next = drawn.upper_bound(placed_);
    TControl* above = next != drawn.end() ? next->second : parent_->LowestWindowedControl();
    drawn.emplace_hint(next, placed_, this);
    if (above != nullptr)
        widget_->stackUnder(above->widget_);
    else
        widget_->raise();
}

void TControl::BeginUpdate() {
    ++updating_;
}

void TControl::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0) {
        const std::vector<TControl*> undecided = undecided_.Members();
        undecided_.Clear();
        for (TControl* control : undecided)
            control->UpdateWidgetShown();
        ApplyHeldFonts();
    }
}

void TControl::ApplyHeldFonts() {
    const std::unordered_set<TControl*> held = std::move(fontsHeld_);
    fontsHeld_.clear();
    for (TControl* control : held) {
        control->fontHeld_ = false;
        control->ApplyFont();
    }
}

TControl* TControl::LowestWindowedControl() {
    if (!lowestWindowedKnown_) {
        lowestWindowed_ = nullptr;
        for (QObject* child : ClientWidget()->children()) {
            TControl* control = FromWidget(child);
            if (control != nullptr && control->parent_ == this && control->IsWindowed()) {
                lowestWindowed_ = control;
                break;
            }
        }
        lowestWindowedKnown_ = true;
    }
    return lowestWindowed_;
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
    if (menu == popupMenu_)
        return;
    if (popupMenu_ != nullptr)
        popupMenu_->RemoveUser(this);
    popupMenu_ = menu;
    if (popupMenu_ != nullptr)
        popupMenu_->AddUser(this);
}

void TControl::SetColor(TColor color) {
    color_ = color;
    ColorChanged();
}

void TControl::ColorChanged() {
    ApplyBackground();
}

void TControl::FontChanged() {}

void TControl::ApplyBackground() {
    QWidget* target = ClientWidget();
    if (target == nullptr)
        return; // applied when the widget is made
    if (FillsBackground()) {
        QPalette palette = target->palette();
        palette.setColor(QPalette::Window, ColorToQColor(color_));
        target->setPalette(palette);
        target->setAutoFillBackground(true);
    } else {
        target->setAutoFillBackground(false);
    }
}

void TControl::ApplyFont() {
    if (widget_ == nullptr)
        return;
    // A label of a new table has its font set several times over before anyone sees it; each
    // setting would make Qt resolve the font and the palette again. A drawn control is never on
    // screen before it is placed: its font reaches the widget at the placing.
    if (parent_ == nullptr && !IsWindowed()) {
        fontHeld_ = true;
        return;
    }
    if (parent_ != nullptr && parent_->updating_ > 0) {
        if (!fontHeld_) {
            fontHeld_ = true;
            parent_->fontsHeld_.insert(this);
        }
        return;
    }
    fontHeld_ = false;
    // The face and the colour each reach Qt only when they changed: a table's fill changes the
    // colour of many labels and nothing else.
    const bool faceChanged = !fontApplied_ || appliedFont_.Name() != font_.Name() ||
                             appliedFont_.Height() != font_.Height() || appliedFont_.Style() != font_.Style();
    const bool colourChanged = !fontApplied_ || appliedFont_.Color() != font_.Color();
    appliedFont_.Assign(font_);
    fontApplied_ = true;
    if (faceChanged)
        widget_->setFont(font_.ToQFont());
    if (colourChanged) {
        QPalette palette = widget_->palette();
        const QColor color = ColorToQColor(font_.Color());
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::Text, color);
        palette.setColor(QPalette::ButtonText, color);
        widget_->setPalette(palette);
    }
}

void TControl::ParentFontChanged() {
    settingParentFont_ = true;
    font_.Assign(parent_->font_);
    settingParentFont_ = false;
}

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
}

void TControl::ClientResized() {
    const int width = ClientWidth();
    const int height = ClientHeight();
    const int dx = width - lastClientWidth_;
    const int dy = height - lastClientHeight_;
    lastClientWidth_ = width;
    lastClientHeight_ = height;
    if (dx == 0 && dy == 0)
        return;
    for (TControl* child : controls_.Members()) {
        child->ParentResized(dx, dy);
        child->UpdateWidgetShown();
    }
}

void TControl::ParentResized(int dx, int dy) {
    if (anchors_ == (akLeft | akTop))
        return;
    int l, t, w, h;
    GetBounds(l, t, w, h);
    if ((anchors_ & akRight) != 0) {
        if ((anchors_ & akLeft) != 0)
            w += dx;
        else
            l += dx;
    } else if ((anchors_ & akLeft) == 0) {
        l += dx / 2;
    }
    if ((anchors_ & akBottom) != 0) {
        if ((anchors_ & akTop) != 0)
            h += dy;
        else
            t += dy;
    } else if ((anchors_ & akTop) == 0) {
        t += dy / 2;
    }
    PutBounds(l, t, w, h);
}

void TControl::SetTabOrder(int order) {
    tabOrder_ = order;
    if (parent_ != nullptr)
        parent_->ApplyTabOrder();
}

void TControl::ApplyTabOrder() {
    std::vector<TControl*> ordered;
    controls_.ForEach([&](TControl* child) {
        if (child->tabOrder_ >= 0)
            ordered.push_back(child);
    });
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const TControl* a, const TControl* b) { return a->tabOrder_ < b->tabOrder_; });
    for (size_t i = 1; i < ordered.size(); ++i)
        QWidget::setTabOrder(ordered[i - 1]->widget_, ordered[i]->widget_);
    tabLast_ = ordered.empty() ? nullptr : ordered.back();
    tabLastKnown_ = true;
}

void TControl::ChainTabOrder(TControl* child) {
    // A control outside the Tab order leaves the chain as it is.
    if (child->tabOrder_ < 0)
        return;
    // Placed last and ordered last: it only extends the chain.
    if (tabLastKnown_ && (tabLast_ == nullptr || child->tabOrder_ >= tabLast_->tabOrder_)) {
        if (tabLast_ != nullptr)
            QWidget::setTabOrder(tabLast_->widget_, child->widget_);
        tabLast_ = child;
        return;
    }
    ApplyTabOrder();
}

void TControl::SetFocus() {
    Widget()->setFocus(Qt::OtherFocusReason);
    FocusedByProgram();
}

bool TControl::CanBeSeen() const {
    // Qt takes off the parents' edges and the opaque widgets above; a hidden widget has nothing,
    // and a drawn control without one is not shown.
    return widget_ != nullptr && !widget_->visibleRegion().isEmpty();
}

bool TControl::Focused() const {
    if (widget_ == nullptr)
        return false;
    QWidget* focus = widget_->window()->focusWidget();
    while (focus != nullptr && FromWidget(focus) == nullptr)
        focus = focus->parentWidget();
    return focus != nullptr && FromWidget(focus) == this;
}

void TControl::Click() {
    if (OnClick)
        RunHandler([this] { OnClick(this); });
}

bool TControl::WidgetEvent(QEvent* /*event*/) {
    return false;
}

bool TControl::HandleEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::ContextMenu: {
        if (popupMenu_ == nullptr)
            return WidgetEvent(event); // the parent's menu, if any, answers
        const QPoint at = static_cast<QContextMenuEvent*>(event)->globalPos();
        popupMenu_->SetPopupComponent(this);
        popupMenu_->Popup(at.x(), at.y());
        return true;
    }
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            pressed_ = true;
        break;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const bool clicked = pressed_ && widget_->rect().contains(mouse->position().toPoint());
        pressed_ = false;
        // Windowed controls report their own clicks (a button's clicked signal).
        if (clicked && !IsWindowed()) {
            QPointer<QWidget> alive(widget_);
            Click();
            if (alive.isNull())
                return true;
        }
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && OnDblClick) {
            QPointer<QWidget> alive(widget_);
            RunHandler([this] { OnDblClick(this); });
            if (alive.isNull())
                return true;
        }
        break;
    case QEvent::Wheel:
        // The wheel over a label or a picture turns for the form, as it has the focus.
        if (!IsWindowed()) {
            if (TForm* form = ParentForm()) {
                auto* wheel = static_cast<QWheelEvent*>(event);
                const QPoint at = form->ClientWidget()->mapFromGlobal(wheel->globalPosition().toPoint());
                TShiftState shift = 0;
                if ((wheel->modifiers() & Qt::ShiftModifier) != 0)
                    shift |= ssShift;
                if ((wheel->modifiers() & Qt::ControlModifier) != 0)
                    shift |= ssCtrl;
                if ((wheel->modifiers() & Qt::AltModifier) != 0)
                    shift |= ssAlt;
                form->WheelTurned(wheel->angleDelta().y(), shift, TPoint{at.x(), at.y()});
                return true;
            }
        }
        break;
    case QEvent::Resize:
        Resized();
        if (ClientWidget() == widget_)
            ClientResized();
        break;
    default:
        break;
    }
    return WidgetEvent(event);
}
