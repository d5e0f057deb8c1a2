#include "platform/forms/ComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStandardItemModel>

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/forms/ByteText.h"

namespace {

// One item of the list: its bytes and its object beside the shown text, so that reading an
// item or comparing two needs no conversion.
class ComboBoxItem : public QStandardItem {
public:
    ComboBoxItem(const std::string& text, void* object)
        : QStandardItem(ToDisplayText(text)), bytes(text), object(object) {}

    std::string bytes;
    void* object;
};

} // namespace

// The items of a combo box, kept in the combo box's own model.
class ComboBoxStrings : public TStrings {
public:
    explicit ComboBoxStrings(TComboBox* box)
        : box_(box), model_(qobject_cast<QStandardItemModel*>(box->combo_->model())) {}

    int Count() const override { return model_->rowCount(); }
    std::string Strings(int index) const override {
        if (index < 0 || index >= Count())
            return std::string();
        return Item(index)->bytes;
    }
    void SetStrings(int index, const std::string& text) override {
        if (index < 0 || index >= Count())
            return;
        Item(index)->bytes = text;
        Item(index)->setText(ToDisplayText(text));
        NoteOrderAround(index);
    }
    void* Objects(int index) const override {
        if (index < 0 || index >= Count())
            return nullptr;
        return Item(index)->object;
    }
    void SetObjects(int index, void* object) override {
        if (index < 0 || index >= Count())
            return;
        Item(index)->object = object;
    }
    int AddObject(const std::string& text, void* object) override {
        int index = Count();
        if (box_->sorted_) {
            // After the items that sort before or equal to it.
            if (inOrder_) {
                int low = 0;
                int high = Count();
                while (low < high) {
                    const int mid = low + (high - low) / 2;
                    if (CompareText(Item(mid)->bytes, text) <= 0)
                        low = mid + 1;
                    else
                        high = mid;
                }
                index = low;
            } else {
                index = 0;
                while (index < Count() && CompareText(Item(index)->bytes, text) <= 0)
                    ++index;
            }
        }
        InsertAt(index, text, object);
        return index;
    }
    void AddStrings(const TStrings& strings) override {
        const int added = strings.Count();
        if (!box_->sorted_ || !inOrder_ || added == 0) {
            TStrings::AddStrings(strings);
            return;
        }
        // Inserting each item at its place moves the model's tail every time and leaves Qt's
        // note of where each later item sits out of date, so that removing them searches the
        // list for each. Merged here and put back in one go, every item lands where adding one
        // after another puts it: the sorts are stable and the items there come first.
        struct Entry {
            std::string text;
            void* object;
            bool selected;
        };
        const int selected = Combo()->currentIndex();
        std::vector<Entry> there;
        there.reserve(static_cast<size_t>(Count()));
        for (int i = 0; i < Count(); ++i)
            there.push_back(Entry{Item(i)->bytes, Item(i)->object, i == selected});
        std::vector<Entry> incoming;
        incoming.reserve(static_cast<size_t>(added));
        for (int i = 0; i < added; ++i)
            incoming.push_back(Entry{strings.Strings(i), strings.Objects(i), false});
        const auto less = [](const Entry& a, const Entry& b) { return CompareText(a.text, b.text) < 0; };
        std::stable_sort(incoming.begin(), incoming.end(), less);
        std::vector<Entry> merged;
        merged.reserve(there.size() + incoming.size());
        std::merge(std::make_move_iterator(there.begin()), std::make_move_iterator(there.end()),
                   std::make_move_iterator(incoming.begin()), std::make_move_iterator(incoming.end()),
                   std::back_inserter(merged), less);

        // The choice follows its item; typed text stays, as when items are added one by one.
        const QString typed = Combo()->currentText();
        model_->removeRows(0, Count());
        QList<QStandardItem*> items;
        items.reserve(static_cast<qsizetype>(merged.size()));
        int newSelected = -1;
        for (const Entry& entry : merged) {
            if (entry.selected)
                newSelected = static_cast<int>(items.size());
            items.append(new ComboBoxItem(entry.text, entry.object));
        }
        model_->invisibleRootItem()->appendRows(items);
        Combo()->setCurrentIndex(newSelected);
        if (Combo()->isEditable() && newSelected >= 0)
            Combo()->setEditText(typed);
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
    void Clear() override {
        Combo()->clear();
        inOrder_ = true;
    }

private:
    QComboBox* Combo() const { return box_->combo_; }
    ComboBoxItem* Item(int index) const { return static_cast<ComboBoxItem*>(model_->item(index)); }

    void InsertAt(int index, const std::string& text, void* object) {
        // Qt selects the first item added to an empty list; the class library selects nothing.
        const bool noneSelected = Combo()->currentIndex() < 0;
        model_->insertRow(index, new ComboBoxItem(text, object));
        NoteOrderAround(index);
        if (noneSelected)
            Combo()->setCurrentIndex(-1);
    }

    // Items put at a given place can leave the texts out of order; a sorted box then finds each
    // new item's place by walking the list, as a search would go wrong.
    void NoteOrderAround(int index) {
        const std::string& text = Item(index)->bytes;
        if ((index > 0 && CompareText(Item(index - 1)->bytes, text) > 0) ||
            (index + 1 < Count() && CompareText(text, Item(index + 1)->bytes) > 0))
            inOrder_ = false;
    }

    TComboBox* box_;
    QStandardItemModel* model_;
    // The texts are known to be in order; deleting items keeps them so, only Clear restores it.
    bool inOrder_ = true;
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
