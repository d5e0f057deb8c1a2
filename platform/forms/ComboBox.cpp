#include "platform/forms/ComboBox.h"

#include <QComboBox>
#include <QLineEdit>

#include "platform/forms/ByteText.h"

namespace {

constexpr int kObjectRole = Qt::UserRole;
constexpr int kBytesRole = Qt::UserRole + 1;

} // namespace

// The items of a combo box: each keeps its bytes and its object beside the shown text.
class ComboBoxStrings : public TStrings {
public:
    explicit ComboBoxStrings(TComboBox* box) : box_(box) {}

    int Count() const override { return Combo()->count(); }
    std::string Strings(int index) const override {
        if (index < 0 || index >= Count())
            return std::string();
        return Combo()->itemData(index, kBytesRole).toByteArray().toStdString();
    }
    void SetStrings(int index, const std::string& text) override {
        if (index < 0 || index >= Count())
            return;
        Combo()->setItemText(index, ToDisplayText(text));
        Combo()->setItemData(index, QByteArray::fromStdString(text), kBytesRole);
    }
    void* Objects(int index) const override {
        if (index < 0 || index >= Count())
            return nullptr;
        return reinterpret_cast<void*>(
            static_cast<quintptr>(Combo()->itemData(index, kObjectRole).toULongLong()));
    }
    void SetObjects(int index, void* object) override {
        if (index < 0 || index >= Count())
            return;
        Combo()->setItemData(index, QVariant::fromValue<qulonglong>(reinterpret_cast<quintptr>(object)),
                             kObjectRole);
    }
    int AddObject(const std::string& text, void* object) override {
        int index = Count();
        if (box_->sorted_) {
            // After the items that sort before or equal to it.
            index = 0;
            while (index < Count() && CompareText(Strings(index), text) <= 0)
                ++index;
        }
        InsertAt(index, text, object);
        return index;
    }
    void Insert(int index, const std::string& text) override {
        InsertAt(std::clamp(index, 0, Count()), text, nullptr);
    }
    void Delete(int index) override {
        if (index < 0 || index >= Count())
            return;
        // Deleting the selected item leaves no item selected.
        const bool selected = Combo()->currentIndex() == index;
        Combo()->removeItem(index);
        if (selected)
            Combo()->setCurrentIndex(-1);
    }
    void Clear() override { Combo()->clear(); }

private:
    QComboBox* Combo() const { return box_->combo_; }

    void InsertAt(int index, const std::string& text, void* object) {
        // Qt selects the first item added to an empty list; the class library selects nothing.
        const bool noneSelected = Combo()->currentIndex() < 0;
        Combo()->insertItem(index, ToDisplayText(text));
        Combo()->setItemData(index, QByteArray::fromStdString(text), kBytesRole);
        Combo()->setItemData(index, QVariant::fromValue<qulonglong>(reinterpret_cast<quintptr>(object)),
                             kObjectRole);
        if (noneSelected)
            Combo()->setCurrentIndex(-1);
    }

    TComboBox* box_;
};

TComboBox::TComboBox(TComponent* owner)
    : TControl(owner), combo_(new QComboBox()), items_(std::make_unique<ComboBoxStrings>(this)) {
    combo_->setGeometry(0, 0, 145, 21);
    combo_->setInsertPolicy(QComboBox::NoInsert);
    SetWidget(combo_);
    SetStyle(csDropDown);
    QObject::connect(combo_, &QComboBox::activated, [this] {
        if (OnChange)
            RunHandler([this] { OnChange(this); });
    });
}

TComboBox::~TComboBox() = default;

int TComboBox::ItemIndex() const {
    return combo_->currentIndex();
}

void TComboBox::SetItemIndex(int index) {
    combo_->setCurrentIndex(index >= 0 && index < combo_->count() ? index : -1);
}

std::string TComboBox::Text() const {
    if (combo_->isEditable())
        return FromTypedText(combo_->currentText());
    return items_->Strings(combo_->currentIndex());
}

void TComboBox::Clear() {
    items_->Clear();
    if (combo_->isEditable())
        combo_->setEditText(QString());
}

void TComboBox::SetSorted(bool sorted) {
    if (sorted == sorted_)
        return;
    sorted_ = sorted;
    if (!sorted_)
        return;
    // Put the items there already in order, keeping the selected one selected.
    std::vector<std::pair<std::string, void*>> items;
    for (int i = 0; i < items_->Count(); ++i)
        items.emplace_back(items_->Strings(i), items_->Objects(i));
    const int selected = ItemIndex();
    const std::string selectedText = selected >= 0 ? items_->Strings(selected) : std::string();
    void* selectedObject = selected >= 0 ? items_->Objects(selected) : nullptr;
    items_->Clear();
    for (const auto& [text, object] : items)
        items_->AddObject(text, object);
    int newSelected = -1;
    for (int i = 0; selected >= 0 && i < items_->Count(); ++i)
        if (items_->Strings(i) == selectedText && items_->Objects(i) == selectedObject)
            newSelected = i;
    SetItemIndex(newSelected);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
    style_ = style;
    const int selected = combo_->currentIndex();
    combo_->setEditable(style == csDropDown);
    combo_->setCurrentIndex(selected);
}
