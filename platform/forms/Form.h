#pragma once
// A window of the program: a top-level control with a frame, an optional menu bar and a client
// area in which its controls are placed.
//
// Left/Top/Width/Height are the outer window with its frame and menu bar; ClientWidth and
// ClientHeight are the client area. No window is larger than the screens make up together: a
// form asked to be larger keeps that size as its own, but its window stops at the screens' size,
// and so does the area in which its drawn controls are shown (TControl). A form becomes the
// active form when it is shown (OnActivate runs then, and again whenever the form becomes active
// after another form of the program was). With KeyPreview on, a typed character reaches
// OnKeyPress before the focused control; a handler that sets the key to 0 consumes it. A key
// that is the shortcut of an item of the main menu runs that item instead, and produces no
// character. Tab and Shift+Tab move the keyboard in tab order among the controls that can be
// seen (TControl::CanBeSeen), round at the ends.
//
// ShowModal shows the form, makes it the active form and waits until it closes (Close, or a
// non-zero ModalResult); it returns the modal result. Tests answer it through the seam of
// TestSeams.h instead of waiting for a person.

#include <string>

#include "platform/forms/Control.h"

class QWidget;
class QObject;
class QKeyEvent;
class QMargins;
class QPoint;
class QRect;
class QSize;
class TMainMenu;
class TPopupMenu;
class FormWindow;
class FormClient;

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

using TBorderIcons = unsigned;
constexpr TBorderIcons biSystemMenu = 1;
constexpr TBorderIcons biMinimize = 2;
constexpr TBorderIcons biMaximize = 4;

enum TPosition { poDesigned, poScreenCenter };

enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;

class TForm : public TControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position);

    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool preview) { keyPreview_ = preview; }

    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    // The focused control of the form, null when none.
    TControl* ActiveControl() const;
    void SetActiveControl(TControl* control);

    // Puts the window at left, top, judged by its size now: where it lies wholly on the screens
    // there, exactly there; else (a place kept from a larger or another monitor) on the nearest
    // screen, all of it where it fits, else its top-left corner at the screen's. The window moves
    // once, straight to where it ends up.
    void MoveOntoScreen(int left, int top);

    // The outer window as it lies on the screens: its place, and its size as shown (no larger
    // than the screens).
    TRect WindowRect() const;
    // After a change of size, given the window's rectangle before it: a window that lay wholly
    // on a screen and has grown past it moves the shortest way back onto that screen, all of it
    // where it fits, else its top-left corner at the screen's. A window that lay partly off every
    // screen stays where the runner put it, and so does one that did not grow.
    void MoveBackOntoScreen(const TRect& before);

    // Puts a dialog's top-left corner at left, top, beside a window or control of the program.
    // Once shown, and whenever the program sizes it while shown (a dialog may size itself as it
    // is activated), the dialog moves from there the shortest way onto the screen that holds
    // most of it, all of it where it fits. A place where it lies wholly on a screen is kept
    // exactly. Setting Left or Top afterwards puts it exactly there again.
    void PlaceBeside(int left, int top);

    void Show();
    void Hide();
    TModalResult ShowModal();
    void Close();
    bool Modal() const { return modal_; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);
    bool Active() const;

    TNotifyEvent OnActivate;
    TCloseEvent OnClose;
    TKeyPressEvent OnKeyPress;
    TMouseWheelEvent OnMouseWheel;

    QWidget* ClientWidget() const override;
    // The form of a top-level widget (or of any widget on it), null when none.
    static TForm* FromWindow(const QWidget* widget);

    // Called by the layer: the form became the program's active form.
    void Activated();
    // Called by the layer for a key press that reached a widget of this form; true when the
    // press was consumed (a shortcut ran or OnKeyPress set the key to 0). key is changed when
    // OnKeyPress replaced the character.
    bool PreviewKey(QKeyEvent* event, QObject* receiver, char& key, bool& keyChanged);
    // Called by the layer for a mouse wheel over the form.
    void WheelTurned(int delta, TShiftState shift, TPoint clientPos);
    // Called by the layer: raises the shown window and asks for the keyboard (after a dialog of
    // the program closed, for one).
    void TakeFocus();

protected:
    bool IsWindowed() const override { return true; }
    void ColorChanged() override;
    void VisibleChanged() override;
    void GetBounds(int& left, int& top, int& width, int& height) const override;
    void PutBounds(int left, int top, int width, int height) override;

private:
    friend class FormWindow;
    friend class FormClient;
    friend class TMainMenu;
    void ApplyWindowFlags();
    bool Sizeable() const;
    void SyncHiddenWindow();
    // Sizes the window for the current client size and menu bar.
    void ApplySize();
    // The window's size for them: the client size and the menu bar, no larger than the screens.
    QSize WindowSize() const;
    QMargins FrameMargins() const;
    int FrameExtraWidth() const;
    int FrameExtraHeight() const;
    int BarHeight() const;
    void PlaceChildren();
    void WindowResized();
    void CloseModal();
    void DoClose(TCloseAction& action);
    void WindowCloseRequested();
    void CentreOnScreen();
    // The outer window put at left, top with its size as shown; a place farther out than any
    // screen reaches counts as that far.
    QRect WindowRectAt(int left, int top) const;
    void MoveWindow(const QPoint& place);
    // A dialog placed beside something goes, for its size now, where PlaceBeside says.
    void KeepPlacedOnScreen();

    FormWindow* window_ = nullptr;
    FormClient* client_ = nullptr;
    TMainMenu* menu_ = nullptr;
    std::string caption_;
    TBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = poDesigned;
    bool keyPreview_ = false;
    bool modal_ = false;
    TModalResult modalResult_ = mrNone;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    // The place PlaceBeside was given, while it holds.
    bool placedBeside_ = false;
    int placedLeft_ = 0;
    int placedTop_ = 0;
};
