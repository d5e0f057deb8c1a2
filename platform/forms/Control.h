#pragma once
// The base of every visible control: a component that wraps one Qt widget.
//
// Positions are pixels in the parent's client area. A control is shown when it is Visible and
// has a parent; a control without a parent is never on screen. A drawn control (label, image,
// shape) wholly outside its parent's client area (for a form, the part its window has: no more
// than the screens' size) is kept hidden from Qt until it is moved in or the parent grows to
// reach it: it would draw nothing there. Deleting a parent control deletes the controls placed
// on it (whoever owns them); deleting a control removes it from its parent and its owner.
// Controls that draw on their parent (labels, images, shapes) always stay below the windowed
// controls of the same parent (panels, edits, buttons ...), whatever the order of
// creation. A right click on a control opens its popup menu at the click position; a control
// without one passes the click on to its parent.
//
// A windowed control creates its widget and hands it over with SetWidget. A drawn control makes
// its widget (CreateWidget) only once it is to be shown, or when it is asked for: a table of
// thousands of labels, most of them beyond the window's edge, then costs a widget only for the
// rows in sight. Until then the control keeps its bounds and state itself. The control owns
// its widget.

#include <functional>
#include <map>
#include <unordered_set>
#include <vector>

#include "platform/forms/Component.h"
#include "platform/forms/Graphics.h"

class QWidget;
class QEvent;
class QObject;
class TPopupMenu;
class TForm;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TAnchors = unsigned;
constexpr TAnchors akLeft = 1;
constexpr TAnchors akTop = 2;
constexpr TAnchors akRight = 4;
constexpr TAnchors akBottom = 8;

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    int Left() const;
    void SetLeft(int left);
    int Top() const;
    void SetTop(int top);
    int Width() const;
    void SetWidth(int width);
    int Height() const;
    void SetHeight(int height);
    void SetBounds(int left, int top, int width, int height);
    // The size of the area that child controls are placed in.
    virtual int ClientWidth() const;
    virtual int ClientHeight() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent up to the form visible.
    bool Showing() const;

    bool Enabled() const;
    void SetEnabled(bool enabled);

    TControl* Parent() const { return parent_; }
    void SetParent(TControl* parent);
    int ControlCount() const { return static_cast<int>(controls_.Count()); }
    TControl* Controls(int index) const;
    // The form this control is placed on (itself for a form), null when it has none.
    TForm* ParentForm();

    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);

    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // The control's font. A control takes its parent's font until its own is changed.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    bool ParentFont() const { return parentFont_; }

    // Anchored sides keep their distance to the parent's edges when the parent is resized.
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);

    // Puts the keyboard on the control, as the user entering it would (an entry selects its text).
    void SetFocus();
    bool Focused() const;
    // Between BeginUpdate and the matching EndUpdate the drawn controls placed on this one get
    // no widget: whether they are to be shown is decided at EndUpdate, once they have been laid
    // out, so that the rows a layout moves beyond the edge never cost one. Font changes of the
    // controls placed on it meanwhile reach their widgets once, at EndUpdate (the font itself,
    // and what is measured in it, change at once).
    void BeginUpdate();
    void EndUpdate();

    // Some of the control can be seen: it is shown, and neither the edges of its parents nor the
    // controls above it hide all of it. The keys that move the keyboard (Tab, Shift+Tab, the
    // arrows of a choice) pass over a control that cannot be seen.
    bool CanBeSeen() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

    // Runs OnClick as a click by the user would.
    virtual void Click();

    // The wrapped widget, for the layer itself and for tests; a drawn control makes it now.
    QWidget* Widget() const;
    // Where child controls are placed (the widget itself unless a derived class says otherwise).
    virtual QWidget* ClientWidget() const { return widget_; }
    // The control that wraps a widget, null when none does.
    static TControl* FromWidget(const QObject* widget);

protected:
    void SetWidget(QWidget* widget);
    // A drawn control's widget, made from the control's state when it is first needed.
    virtual QWidget* CreateWidget() { return nullptr; }
    // The widget if it has been made, without making it.
    QWidget* MadeWidget() const { return widget_; }
    // The bounds a drawn control starts with.
    void InitBounds(int left, int top, int width, int height);
    // The pixel ratio of the screen the control is drawn on.
    double DevicePixelRatio() const;
    // The control's bounds in its parent's client area; a form overrides them with its outer
    // window.
    virtual void GetBounds(int& left, int& top, int& width, int& height) const;
    virtual void PutBounds(int left, int top, int width, int height);
    // Windowed controls stay above the controls that draw on their parent.
    virtual bool IsWindowed() const { return true; }
    // A change of the font or of the colour reached the control.
    virtual void FontChanged();
    virtual void ColorChanged();
    // Called after the size changed, for controls that arrange their content.
    virtual void Resized() {}
    // The program put the keyboard on the control (SetFocus).
    virtual void FocusedByProgram() {}
    // A control that paints its own background decides here whether Color is filled.
    virtual bool FillsBackground() const { return false; }
    // Event filter on the widget; returning true stops the event.
    virtual bool WidgetEvent(QEvent* event);
    void ApplyBackground();
    // Applies the font to the widget.
    void ApplyFont();
    // The client area changed size: anchored child controls follow.
    void ClientResized();
    // Visible changed; the base shows the widget while the control is visible and has a parent.
    virtual void VisibleChanged();
    // Sets Visible without showing or hiding anything (a form starts hidden).
    void InitVisible(bool visible) { visible_ = visible; }

private:
    friend class ControlEventFilter;
    friend class TPopupMenu;
    void MakeWidget();
    void StackInParent();
    TControl* LowestWindowedControl();
    void ApplyHeldFonts();
    bool WidgetShown() const;
    void UpdateWidgetShown();
    void ParentResized(int dx, int dy);
    void ParentFontChanged();
    void ApplyTabOrder();
    void ChainTabOrder(TControl* child);
    void Forget(TControl* child);
    bool HandleEvent(QEvent* event);

    QWidget* widget_ = nullptr;
    QObject* filter_ = nullptr;
    TControl* parent_ = nullptr;
    size_t parentSlot_ = 0;
    // When the control was placed: among the drawn controls of a parent, the later placed one
    // is drawn above.
    unsigned long long placed_ = 0;
    // A drawn control's bounds (a windowed control's are its widget's).
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool enabled_ = true;
    // The controls placed on this one, in order of placing.
    SlotList<TControl> controls_{&TControl::parentSlot_};
    // Placing a control must not walk its siblings: the parent remembers the lowest of its
    // windowed controls (the drawn ones go under it) and the control that ends its Tab chain,
    // and looks for them again only after that control has gone.
    TControl* lowestWindowed_ = nullptr;
    bool lowestWindowedKnown_ = true;
    TControl* tabLast_ = nullptr;
    bool tabLastKnown_ = true;
    int updating_ = 0;
    // Drawn controls without a widget placed or moved since BeginUpdate: EndUpdate decides
    // whether they are shown.
    size_t undecidedSlot_ = 0;
    SlotList<TControl> undecided_{&TControl::undecidedSlot_};
    // The drawn controls placed on this one that have their widget, by the time of placing: a
    // widget made late goes under the one placed next after it, found without a walk.
    std::map<unsigned long long, TControl*> drawnWidgets_;
    // Placed controls whose font changed since BeginUpdate, not yet applied to their widgets.
    std::unordered_set<TControl*> fontsHeld_;
    // The font has not reached the widget yet: held by the parent's update, or not placed.
    bool fontHeld_ = false;
    TPopupMenu* popupMenu_ = nullptr;
    // The control's place among the controls that carry its popup menu.
    size_t popupSlot_ = 0;
    TColor color_ = clBtnFace;
    TFont font_;
    // The font as the widget last took it.
    TFont appliedFont_;
    bool fontApplied_ = false;
    bool parentFont_ = true;
    bool settingParentFont_ = false;
    bool visible_ = true;
    TAnchors anchors_ = akLeft | akTop;
    int tabOrder_ = -1;
    int lastClientWidth_ = 0;
    int lastClientHeight_ = 0;
    bool pressed_ = false;
};

// Holds a control's updates (BeginUpdate) while it lives.
class TUpdateScope {
public:
    explicit TUpdateScope(TControl& control) : control_(control) { control_.BeginUpdate(); }
    ~TUpdateScope() { control_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TControl& control_;
};

// Runs an event handler; an exception that escapes it is shown by the application's exception
// box, as it would be when it left the message loop, and the program goes on.
void RunHandler(const std::function<void()>& body);
