#include "platform/forms/Strings.h"

#include <algorithm>

namespace {

unsigned char LowerAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + 32) : u;
}

} // namespace

int CompareText(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = LowerAscii(a[i]);
        const unsigned char y = LowerAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

void TStrings::AddStrings(const TStrings& strings) {
    const int n = strings.Count();
    for (int i = 0; i < n; ++i)
        AddObject(strings.Strings(i), strings.Objects(i));
}

int TStrings::IndexOf(const std::string& text) const {
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (CompareText(Strings(i), text) == 0)
            return i;
    return -1;
}

std::string TStrings::Text() const {
    std::string text;
    const int n = Count();
    for (int i = 0; i < n; ++i) {
        text += Strings(i);
        text += "\r\n";
    }
    return text;
}

void TStrings::SetText(const std::string& text) {
    Clear();
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            Add(text.substr(start, i - start));
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < text.size())
        Add(text.substr(start));
}

std::string TStringList::Strings(int index) const {
    if (index < 0 || index >= Count())
        return std::string();
    return items_[static_cast<size_t>(index)].text;
}

void TStringList::SetStrings(int index, const std::string& text) {
    if (index < 0 || index >= Count())
        return;
    if (sorted_) {
        // A sorted list keeps its order: the string moves to its place.
        void* object = items_[static_cast<size_t>(index)].object;
        Delete(index);
        AddObject(text, object);
        return;
    }
    items_[static_cast<size_t>(index)].text = text;
}

void* TStringList::Objects(int index) const {
    if (index < 0 || index >= Count())
        return nullptr;
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::SetObjects(int index, void* object) {
    if (index < 0 || index >= Count())
        return;
    items_[static_cast<size_t>(index)].object = object;
}

int TStringList::AddObject(const std::string& text, void* object) {
    if (!sorted_) {
        items_.push_back(Item{text, object});
        return Count() - 1;
    }
    int index = 0;
    if (Find(text, index))
        return index;
    items_.insert(items_.begin() + index, Item{text, object});
    return index;
}

void TStringList::AddStrings(const TStrings& strings) {
    const int n = strings.Count();
    if (!sorted_) {
        items_.reserve(items_.size() + static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            items_.push_back(Item{strings.Strings(i), strings.Objects(i)});
        return;
    }
    // Inserting one by one moves the tail of the list each time; sorting the newcomers and
    // merging them in once does not. The first of equal strings stays, as with AddObject.
    std::vector<Item> added;
    added.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        std::string text = strings.Strings(i);
        int index = 0;
        if (!Find(text, index))
            added.push_back(Item{std::move(text), strings.Objects(i)});
    }
    const auto less = [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; };
    std::stable_sort(added.begin(), added.end(), less);
    added.erase(std::unique(added.begin(), added.end(),
                            [](const Item& a, const Item& b) { return CompareText(a.text, b.text) == 0; }),
                added.end());
    const auto middle = static_cast<std::ptrdiff_t>(items_.size());
    items_.insert(items_.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    std::inplace_merge(items_.begin(), items_.begin() + middle, items_.end(), less);
}

void TStringList::Insert(int index, const std::string& text) {
    if (sorted_) {
        AddObject(text, nullptr);
        return;
    }
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, Item{text, nullptr});
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    items_.erase(items_.begin() + index);
}

int TStringList::IndexOf(const std::string& text) const {
    if (!sorted_)
        return TStrings::IndexOf(text);
    int index = 0;
    return Find(text, index) ? index : -1;
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == sorted_)
        return;
    sorted_ = sorted;
    if (sorted_)
        std::stable_sort(items_.begin(), items_.end(),
                         [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
}

bool TStringList::Find(const std::string& text, int& index) const {
    int low = 0;
    int high = Count() - 1;
    bool found = false;
    while (low <= high) {
        const int mid = low + (high - low) / 2;
        const int c = CompareText(items_[static_cast<size_t>(mid)].text, text);
        if (c < 0) {
            low = mid + 1;
        } else {
            high = mid - 1;
            if (c == 0)
                found = true;
        }
    }
    index = low;
    return found;
}
