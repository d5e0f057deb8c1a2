#include "platform/forms/Form.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

#include "platform/forms/Application.h"
#include "platform/forms/ByteText.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ShortCuts.h"
#include "platform/forms/TestSeams.h"

namespace {

std::set<const TForm*>& LiveForms() {
    static std::set<const TForm*> forms;
    return forms;
}

bool IsLive(const TForm* form) {
    return form != nullptr && LiveForms().count(form) != 0;
}

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers) {
    TShiftState shift = 0;
    if ((modifiers & Qt::ShiftModifier) != 0)
        shift |= ssShift;
    if ((modifiers & Qt::ControlModifier) != 0)
        shift |= ssCtrl;
    if ((modifiers & Qt::AltModifier) != 0)
        shift |= ssAlt;
    return shift;
}

// The menu shortcut value of a key press, 0 when the key has none.
TShortCut ShortCutOf(const QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const int code = QtKeyToVirtualKey(key, (modifiers & Qt::KeypadModifier) != 0);
    // A modifier alone is no shortcut.
    if (code == 0 || code == 16 || code == 17 || code == 18)
        return 0;
    TShortCut shortCut = static_cast<TShortCut>(code & 0xFF);
    if ((modifiers & Qt::ShiftModifier) != 0)
        shortCut |= scShift;
    if ((modifiers & Qt::ControlModifier) != 0)
        shortCut |= scCtrl;
    if ((modifiers & Qt::AltModifier) != 0)
        shortCut |= scAlt;
    return shortCut;
}

// Sees every key press of the program first: menu shortcuts and KeyPreview come before the
// focused control.
class KeyFilter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || event == passing_ || !receiver->isWidgetType())
            return false;
        TForm* form = TForm::FromWindow(static_cast<QWidget*>(receiver));
        if (form == nullptr)
            return false;
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        char key = 0;
        bool changed = false;
        if (form->PreviewKey(keyEvent, receiver, key, changed)) {
            event->accept();
            return true;
        }
        // Deliver the key here, so that its way up through the parents does not come back to the
        // form a second time.
        QEvent* previous = passing_;
        if (changed) {
            const QString text(QChar(static_cast<char16_t>(static_cast<unsigned char>(key))));
            QKeyEvent replaced(QEvent::KeyPress, keyEvent->key(), keyEvent->modifiers(), text,
                               keyEvent->isAutoRepeat(), static_cast<quint16>(keyEvent->count()));
            passing_ = &replaced;
            QCoreApplication::sendEvent(receiver, &replaced);
        } else {
            passing_ = event;
            QCoreApplication::sendEvent(receiver, event);
        }
        passing_ = previous;
        event->accept();
        return true;
    }

private:
    QEvent* passing_ = nullptr;
};

// The usable area of every screen.
std::vector<QRect> ScreenAreas() {
    std::vector<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(screen->availableGeometry());
    return areas;
}

// The screen that holds most of the window, else the one closest to it.
QRect NearestScreen(const std::vector<QRect>& areas, const QRect& window) {
    QRect nearest;
    long long mostShared = -1;
    long long leastDistance = 0;
    for (const QRect& area : areas) {
        const QRect shared = area.intersected(window);
        const long long sharedArea = shared.isEmpty() ? 0 : 1LL * shared.width() * shared.height();
        const long long dx = std::max({0, area.left() - window.right(), window.left() - area.right()});
        const long long dy = std::max({0, area.top() - window.bottom(), window.top() - area.bottom()});
        const long long distance = dx * dx + dy * dy;
        if (sharedArea > mostShared || (sharedArea == mostShared && distance < leastDistance)) {
            nearest = area;
            mostShared = sharedArea;
            leastDistance = distance;
        }
    }
    return nearest;
}

// The window's place after as short a move as puts it wholly on the area; a window larger than
// the area keeps its top-left corner, with the menu bar, in sight.
QPoint ShortestMoveOnto(const QRect& window, const QRect& area) {
    return QPoint(std::max(area.left(), std::min(window.left(), area.right() + 1 - window.width())),
                  std::max(area.top(), std::min(window.top(), area.bottom() + 1 - window.height())));
}

void EnsureKeyFilter() {
    static QPointer<KeyFilter> filter;
    if (filter.isNull() && qApp != nullptr) {
        filter = new KeyFilter(qApp);
        qApp->installEventFilter(filter);
    }
}

} // namespace

// The top-level window of a form.
class FormWindow : public QWidget {
public:
    explicit FormWindow(TForm* form) : QWidget(nullptr, Qt::Window), form_(form) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        // The form decides (OnClose); it hides the window itself.
        event->ignore();
        form_->WindowCloseRequested();
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        form_->WindowResized();
    }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowActivate && isVisible())
            form_->Activated();
        return QWidget::event(event);
    }
    // Tab and Shift+Tab pass over the controls that cannot be seen: rows cut off by a dialog's
    // height, controls under a panel that covers them. Qt's own walk chooses among the others;
    // for its length, the widgets of the passed-over controls take no keyboard from Tab.
    bool focusNextPrevChild(bool next) override {
        std::vector<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> passedOver;
        for (QWidget* widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain()) {
            // A widget with a focus proxy takes Tab as its proxy does.
            if ((widget->focusPolicy() & Qt::TabFocus) == 0 || widget->focusProxy() != nullptr ||
                widget->window() != this)
                continue;
            const TControl* control = ControlOf(widget);
            if (control == nullptr || control->CanBeSeen())
                continue;
            passedOver.emplace_back(widget, widget->focusPolicy());
            widget->setFocusPolicy(static_cast<Qt::FocusPolicy>(widget->focusPolicy() & ~Qt::TabFocus));
        }
        const bool moved = QWidget::focusNextPrevChild(next);
        for (const auto& [widget, policy] : passedOver)
            if (!widget.isNull())
                widget->setFocusPolicy(policy);
        return moved;
    }

private:
    // The control a widget of this window belongs to: its own, or that of the nearest parent.
    const TControl* ControlOf(const QWidget* widget) const {
        for (; widget != nullptr && widget != this; widget = widget->parentWidget())
            if (const TControl* control = TControl::FromWidget(widget))
                return control;
        return nullptr;
    }

    TForm* form_;
};

// The client area of a form.
class FormClient : public QWidget {
public:
    FormClient(TForm* form, QWidget* parent) : QWidget(parent), form_(form) {}

protected:
    void wheelEvent(QWheelEvent* event) override {
        const QPoint at = event->position().toPoint();
        form_->WheelTurned(event->angleDelta().y(), ShiftOf(event->modifiers()), TPoint{at.x(), at.y()});
        event->accept();
    }

private:
    TForm* form_;
};

TForm::TForm(TComponent* owner) : TControl(owner) {
    LiveForms().insert(this);
    EnsureKeyFilter();
    window_ = new FormWindow(this);
    client_ = new FormClient(this, window_);
    InitVisible(false);
    clientWidth_ = 300;
    clientHeight_ = 200;
    SetWidget(window_);
    ApplyWindowFlags();
    ColorChanged();
}

TForm::~TForm() {
    // Owned components and placed controls go while the form is still whole.
    DestroyComponents();
    while (ControlCount() > 0)
        delete Controls(ControlCount() - 1);
    SetMenu(nullptr);
    LiveForms().erase(this);
    Application.FormDestroyed(this);
}

TForm* TForm::FromWindow(const QWidget* widget) {
    if (widget == nullptr)
        return nullptr;
    return dynamic_cast<TForm*>(FromWidget(widget->window()));
}

QWidget* TForm::ClientWidget() const {
    return client_;
}

int TForm::ClientWidth() const {
    return clientWidth_;
}

int TForm::ClientHeight() const {
    return clientHeight_;
}

void TForm::SetClientWidth(int width) {
    clientWidth_ = std::max(0, width);
    ApplySize();
}

void TForm::SetClientHeight(int height) {
    clientHeight_ = std::max(0, height);
    ApplySize();
}

// The platform window's own margins: Qt's cached frame of a hidden widget lags behind a change of
// the border style. A window without a border has none. On X11 without a window manager Qt works
// the margins out as the X server's size of the window less its own record of it, which differs
// for a moment while a change is on its way: what comes out below zero is that, not a frame.
QMargins TForm::FrameMargins() const {
    const QWindow* handle = window_->windowHandle();
    if (handle == nullptr || borderStyle_ == bsNone)
        return QMargins();
    const QMargins margins = handle->frameMargins();
    return QMargins(std::max(0, margins.left()), std::max(0, margins.top()), std::max(0, margins.right()),
                    std::max(0, margins.bottom()));
}

int TForm::FrameExtraWidth() const {
    const QMargins margins = FrameMargins();
    return margins.left() + margins.right();
}

int TForm::FrameExtraHeight() const {
    const QMargins margins = FrameMargins();
    return margins.top() + margins.bottom();
}

int TForm::BarHeight() const {
    if (menu_ == nullptr)
        return 0;
    const int height = menu_->MenuBar()->heightForWidth(std::max(1, clientWidth_));
    return height > 0 ? height : menu_->MenuBar()->sizeHint().height();
}

void TForm::GetBounds(int& left, int& top, int& width, int& height) const {
    left = window_->x();
    top = window_->y();
    width = clientWidth_ + FrameExtraWidth();
    height = clientHeight_ + BarHeight() + FrameExtraHeight();
}

void TForm::PutBounds(int left, int top, int width, int height) {
    if (left != window_->x() || top != window_->y()) {
        window_->move(left, top);
        placedBeside_ = false;
    }
    clientWidth_ = std::max(0, width - FrameExtraWidth());
    clientHeight_ = std::max(0, height - FrameExtraHeight() - BarHeight());
    ApplySize();
}

bool TForm::Sizeable() const {
    return borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin;
}

QSize TForm::WindowSize() const {
    // No window is shown larger than the screens make up together. A form asked to be larger
    // keeps its size, but its window stops there: the drawn controls beyond get no widget, and a
    // table's every column would otherwise be one more sibling for Qt to paint, recursively.
    QSize largest(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        largest = screen->virtualSize();
    return QSize(std::min(clientWidth_, largest.width()),
                 std::min(clientHeight_ + BarHeight(), largest.height()));
}

void TForm::ApplySize() {
    const QSize size = WindowSize();
    const int width = size.width();
    const int height = size.height();
    if (Sizeable()) {
        window_->setMinimumSize(0, 0);
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        window_->setFixedSize(width, height);
    }
    // Also when the limits were already these: setFixedSize then leaves the size alone.
    window_->resize(width, height);
    // A dialog sized while shown (as it is activated, for one) is judged by its new size.
    if (placedBeside_ && window_->isVisible())
        KeepPlacedOnScreen();
    SyncHiddenWindow();
    PlaceChildren();
}

void TForm::SyncHiddenWindow() {
    // A hidden widget's move or resize stays in Qt's own record, while its native window (made
    // early, see ApplyWindowFlags) keeps the old geometry; the window system's report of a change
    // made earlier would then put the widget back to that. Told now, the native window's last
    // report is the form's geometry.
    if (window_->isVisible())
        return;
    QWindow* handle = window_->windowHandle();
    if (handle == nullptr)
        return;
    const QRect geometry = window_->geometry();
    if (handle->geometry() != geometry)
        handle->setGeometry(geometry);
}

void TForm::PlaceChildren() {
    const int bar = BarHeight();
    const QSize size = WindowSize();
    if (menu_ != nullptr)
        menu_->MenuBar()->setGeometry(0, 0, size.width(), bar);
    client_->setGeometry(0, bar, size.width(), std::max(0, size.height() - bar));
    ClientResized();
}

void TForm::WindowResized() {
    const QSize size = window_->size();
    // Only a person resizes the window, so only a shown, sizeable one takes its new size. Other
    // reports (the window system's late word on an earlier size) do not change the form; a
    // hidden window is put back to the form's size before it is shown.
    if (!window_->isVisible() || !Sizeable()) {
        // Only the widget goes back: the native window's own news follows this one.
        if (!window_->isVisible())
            window_->resize(WindowSize());
        return;
    }
    // The size the form gave its window, cut to the screens, is no news.
    if (size == WindowSize())
        return;
    const int width = size.width();
    const int height = std::max(0, size.height() - BarHeight());
    if (width == clientWidth_ && height == clientHeight_)
        return;
    clientWidth_ = width;
    clientHeight_ = height;
    PlaceChildren();
}

void TForm::SetCaption(const std::string& caption) {
    caption_ = caption;
    window_->setWindowTitle(ToDisplayText(caption));
}

void TForm::SetBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    borderIcons_ = icons;
    ApplyWindowFlags();
}

void TForm::SetPosition(TPosition position) {
    position_ = position;
}

void TForm::ApplyWindowFlags() {
    Qt::WindowFlags flags;
    switch (borderStyle_) {
    case bsNone:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    case bsDialog:
        flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    case bsSingle:
    case bsSizeable:
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    }
    if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu) != 0) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
            if ((borderIcons_ & biMinimize) != 0)
                flags |= Qt::WindowMinimizeButtonHint;
            if ((borderIcons_ & biMaximize) != 0)
                flags |= Qt::WindowMaximizeButtonHint;
        }
    }
    const QPoint position = window_->pos();
    const bool shown = window_->isVisible();
    window_->setWindowFlags(flags);
    window_->move(position);
    // The native window exists from now on, so the frame's size is known before it is shown.
    window_->winId();
    ApplySize();
    if (shown) {
        // Qt hides a window to change its flags; shown again, it has lost the keyboard.
        window_->show();
        if (Active())
            TakeFocus();
    }
}

void TForm::ColorChanged() {
    QPalette palette = client_->palette();
    palette.setColor(QPalette::Window, ColorToQColor(Color()));
    client_->setPalette(palette);
    client_->setAutoFillBackground(true);
}

void TForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_)
        return;
    if (menu_ != nullptr) {
        menu_->form_ = nullptr;
        menu_->MenuBar()->hide();
        menu_->MenuBar()->setParent(nullptr);
    }
    menu_ = menu;
    if (menu_ != nullptr) {
        if (menu_->form_ != nullptr)
            menu_->form_->SetMenu(nullptr);
        menu_->form_ = this;
        menu_->MenuBar()->setParent(window_);
        menu_->MenuBar()->show();
    }
    ApplySize();
}

TControl* TForm::ActiveControl() const {
    QWidget* focus = window_->focusWidget();
    while (focus != nullptr && focus != client_ && focus != window_) {
        if (TControl* control = FromWidget(focus))
            return control;
        focus = focus->parentWidget();
    }
    return nullptr;
}

void TForm::SetActiveControl(TControl* control) {
    if (control != nullptr)
        control->SetFocus();
}

void TForm::CentreOnScreen() {
    QScreen* screen = window_->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    window_->move(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2);
}

QRect TForm::WindowRectAt(int left, int top) const {
    // A window is no larger than the screens (WindowSize), so a place this far out is off them
    // all, and its edges can still be worked out.
    constexpr int kFar = 1 << 24;
    const QSize size = WindowSize();
    return QRect(std::clamp(left, -kFar, kFar), std::clamp(top, -kFar, kFar),
                 size.width() + FrameExtraWidth(), size.height() + FrameExtraHeight());
}

void TForm::MoveWindow(const QPoint& place) {
    if (place != window_->pos())
        window_->move(place);
    SyncHiddenWindow();
}

TRect TForm::WindowRect() const {
    const QRect window = WindowRectAt(window_->x(), window_->y());
    return TRect{window.left(), window.top(), window.left() + window.width(), window.top() + window.height()};
}

void TForm::MoveOntoScreen(int left, int top) {
    placedBeside_ = false;
    const std::vector<QRect> areas = ScreenAreas();
    QRegion screens;
    for (const QRect& area : areas)
        screens += area;
    const QRect window = WindowRectAt(left, top);
    if (screens.isEmpty() || QRegion(window).subtracted(screens).isEmpty())
        MoveWindow(QPoint(left, top));
    else
        MoveWindow(ShortestMoveOnto(window, NearestScreen(areas, window)));
}

void TForm::MoveBackOntoScreen(const TRect& before) {
    const QRect was(before.Left, before.Top, before.Right - before.Left, before.Bottom - before.Top);
    const QRect now = WindowRectAt(window_->x(), window_->y());
    if (now.width() <= was.width() && now.height() <= was.height())
        return;
    for (const QRect& area : ScreenAreas()) {
        if (!area.contains(was))
            continue;
        if (!area.contains(now))
            MoveWindow(ShortestMoveOnto(now, area));
        return;
    }
}

void TForm::PlaceBeside(int left, int top) {
    placedBeside_ = true;
    placedLeft_ = left;
    placedTop_ = top;
    if (window_->isVisible())
        KeepPlacedOnScreen();
    else
        MoveWindow(QPoint(left, top));
}

void TForm::KeepPlacedOnScreen() {
    const QPoint placed(placedLeft_, placedTop_);
    const std::vector<QRect> areas = ScreenAreas();
    if (areas.empty()) {
        MoveWindow(placed);
        return;
    }
    const QRect window = WindowRectAt(placedLeft_, placedTop_);
    const QRect nearest = NearestScreen(areas, window);
    MoveWindow(nearest.contains(window) ? placed : ShortestMoveOnto(window, nearest));
}

void TForm::VisibleChanged() {
    if (Visible()) {
        ApplySize();
        // A dialog placed beside something appears where it goes for its size now.
        if (position_ == poScreenCenter)
            CentreOnScreen();
        else if (placedBeside_)
            KeepPlacedOnScreen();
        window_->show();
    } else {
        window_->hide();
        if (Application.ActiveForm() == this)
            Application.SetActiveForm(nullptr);
    }
}

void TForm::Show() {
    SetVisible(true);
    TakeFocus();
    Activated();
}

void TForm::TakeFocus() {
    if (!window_->isVisible())
        return;
    // Without a window manager nobody else gives a window the keyboard, and closing a window that
    // had it leaves it with nobody.
    window_->raise();
    window_->activateWindow();
    // Qt keeps a hidden window as its focus window when the platform did not say otherwise, but
    // forgets it as the active window. Shown again, the platform's activation then changes
    // nothing, and no control of the form would get the focus events that show the caret and
    // select an entry's text: a dialog shown for the second time would look unfocused.
    if (QGuiApplication::focusWindow() == window_->windowHandle() && QApplication::activeWindow() != window_)
        QApplication::setActiveWindow(window_);
}

void TForm::Hide() {
    SetVisible(false);
}

bool TForm::Active() const {
    return Application.ActiveForm() == this;
}

void TForm::Activated() {
    if (!Visible() || Application.ActiveForm() == this)
        return;
    Application.SetActiveForm(this);
    if (OnActivate)
        RunHandler([this] { OnActivate(this); });
}

void TForm::SetModalResult(TModalResult result) {
    modalResult_ = result;
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose)
        RunHandler([this, &action] { OnClose(this, action); });
}

void TForm::CloseModal() {
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        modalResult_ = mrNone;
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application.MainForm() == this) {
        Application.Terminate();
    } else if (action == caHide || action == caMinimize) {
        Hide();
    } else if (action == caFree) {
        // Freed once the event that closed it has been handled.
        const TForm* self = this;
        QMetaObject::invokeMethod(
            qApp,
            [self] {
                if (IsLive(self))
                    delete self;
            },
            Qt::QueuedConnection);
    }
}

void TForm::WindowCloseRequested() {
    Close();
}

TModalResult TForm::ShowModal() {
    TForm* previous = Application.ActiveForm();
    modal_ = true;
    modalResult_ = mrNone;
    // Qt takes a change of modality only while the window is hidden.
    if (Visible())
        SetVisible(false);
    window_->setWindowModality(Qt::ApplicationModal);
    Show();
    const ModalHandler& handler = CurrentModalHandler();
    if (handler) {
        const TModalResult answer = handler(*this);
        if (!IsLive(this))
            return answer;
        if (modalResult_ == mrNone)
            modalResult_ = answer != mrNone ? answer : mrCancel;
        const TModalResult result = modalResult_;
        CloseModal();
        // A test's answer ends the showing even if OnClose refuses.
        modalResult_ = result;
    } else {
        for (;;) {
            while (modalResult_ == mrNone && !Application.Terminated())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (Application.Terminated())
                modalResult_ = mrCancel;
            CloseModal();
            if (modalResult_ != mrNone || Application.Terminated())
                break;
        }
    }
    modal_ = false;
    SetVisible(false);
    window_->setWindowModality(Qt::NonModal);
    if (Application.ActiveForm() == this)
        Application.SetActiveForm(nullptr);
    // The form that was active before becomes active again, keyboard included.
    if (previous != this && IsLive(previous) && previous->Visible()) {
        previous->TakeFocus();
        previous->Activated();
    }
    return modalResult_;
}

bool TForm::PreviewKey(QKeyEvent* event, QObject* receiver, char& key, bool& keyChanged) {
    keyChanged = false;
    if (menu_ != nullptr) {
        const TShortCut shortCut = ShortCutOf(event);
        if (shortCut != 0 && menu_->IsShortCut(shortCut))
            return true;
    }
    const QString text = event->text();
    if (text.size() != 1 || text[0].unicode() > 0xFF || !OnKeyPress)
        return false;
    const bool atForm = receiver == window_ || receiver == client_;
    if (!keyPreview_ && !atForm)
        return false;
    const char original = static_cast<char>(text[0].unicode());
    key = original;
    RunHandler([this, &key] { OnKeyPress(this, key); });
    if (key == 0)
        return true;
    keyChanged = key != original;
    return false;
}

void TForm::WheelTurned(int delta, TShiftState shift, TPoint clientPos) {
    if (!OnMouseWheel)
        return;
    bool handled = false;
    RunHandler([&] { OnMouseWheel(this, shift, delta, clientPos, handled); });
}
