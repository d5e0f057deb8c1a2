#pragma once
// A drop-down list. Each item has a text and an object (Strings.h). A sorted combo box puts
// every added item at its place among the texts (ASCII case ignored). OnChange runs when the
// user picks an item, not when the program sets ItemIndex.

#include <memory>
#include <string>

#include "platform/forms/Control.h"
#include "platform/forms/Strings.h"

class QComboBox;

enum TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TControl {
public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;

    TStrings* Items() const { return items_.get(); }
    // -1 when no item is selected.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The selected item's text (the typed text of an editable box).
    std::string Text() const;
    void Clear();

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);

    TNotifyEvent OnChange;

    QComboBox* ComboBox() const { return combo_; }

private:
    friend class ComboBoxStrings;
    QComboBox* combo_;
    std::unique_ptr<TStrings> items_;
    bool sorted_ = false;
    TComboBoxStyle style_ = csDropDown;
};
