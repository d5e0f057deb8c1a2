#pragma once
// The members of a list in the order they were added, any of which leaves in constant time: each
// member keeps its slot in a field of its own, leaving empties the slot, and the gaps are closed
// when they make up half of the list or when a member is asked for by its index. The last slot is
// never empty. A form's thousands of labels thus come and go in linear time, where removing each
// from a plain vector would walk the rest.

#include <cstddef>
#include <vector>

template <typename T> class SlotList {
public:
    // slot: the field of T that holds the member's place in this list.
    explicit SlotList(std::size_t T::*slot) : slot_(slot) {}

    std::size_t Count() const { return items_.size() - gaps_; }
    bool Empty() const { return items_.empty(); }
    T* Last() const { return items_.back(); }
    T* At(std::size_t index) const {
        CloseGaps();
        return items_[index];
    }

    bool Contains(const T* item) const {
        const std::size_t slot = item->*slot_;
        return slot < items_.size() && items_[slot] == item;
    }

    void Add(T* item) {
        item->*slot_ = items_.size();
        items_.push_back(item);
    }
    // False when the item is not in the list (one forgotten with the rest, say).
    bool Remove(T* item) {
        if (!Contains(item))
            return false;
        items_[item->*slot_] = nullptr;
        ++gaps_;
        while (!items_.empty() && items_.back() == nullptr) {
            items_.pop_back();
            --gaps_;
        }
        if (gaps_ * 2 > items_.size())
            CloseGaps();
        return true;
    }
    // Forgets every member without telling it.
    void Clear() {
        items_.clear();
        gaps_ = 0;
    }

    // The members as they are now, for walking them while they may come and go.
    std::vector<T*> Members() const {
        std::vector<T*> members;
        members.reserve(Count());
        for (T* item : items_)
            if (item != nullptr)
                members.push_back(item);
        return members;
    }
    // Calls f for each member, in order; f must not add or remove members.
    template <typename F> void ForEach(F f) const {
        for (T* item : items_)
            if (item != nullptr)
                f(item);
    }

private:
    void CloseGaps() const {
        if (gaps_ == 0)
            return;
        std::size_t kept = 0;
        for (T* item : items_) {
            if (item != nullptr) {
                item->*slot_ = kept;
                items_[kept++] = item;
            }
        }
        items_.resize(kept);
        gaps_ = 0;
    }

    std::size_t T::*slot_;
    mutable std::vector<T*> items_;
    mutable std::size_t gaps_ = 0;
};
