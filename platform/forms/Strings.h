#pragma once
// Lists of strings, each with an object: a pointer-sized value that the list keeps but does not
// own (a pointer, or an index cast to one).
//
// TStrings is the interface that memos and combo boxes offer for their lines and items;
// TStringList keeps its strings itself and can be sorted, with a binary search (Find).

#include <string>
#include <vector>

class TStrings {
public:
    TStrings() = default;
    TStrings(const TStrings&) = delete;
    TStrings& operator=(const TStrings&) = delete;
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    virtual std::string Strings(int index) const = 0;
    virtual void SetStrings(int index, const std::string& text) = 0;
    virtual void* Objects(int index) const = 0;
    virtual void SetObjects(int index, void* object) = 0;
    // Adds at the end, or at the sorted place of a sorted list; returns the index.
    virtual int AddObject(const std::string& text, void* object) = 0;
    virtual void Insert(int index, const std::string& text) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    int Add(const std::string& text) { return AddObject(text, nullptr); }
    // Adds every string of another list with its object, as AddObject one after another would;
    // a sorted list places them all at once.
    virtual void AddStrings(const TStrings& strings);
    std::string operator[](int index) const { return Strings(index); }
    // The index of the first string equal to text (ASCII case ignored), -1 when none.
    virtual int IndexOf(const std::string& text) const;
    // The lines joined, each ended by CR LF.
    std::string Text() const;
    // Replaces the list with the lines of text (CR LF, LF and CR all end a line).
    void SetText(const std::string& text);
};

class TStringList : public TStrings {
public:
    TStringList() = default;

    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Strings(int index) const override;
    void SetStrings(int index, const std::string& text) override;
    void* Objects(int index) const override;
    void SetObjects(int index, void* object) override;
    int AddObject(const std::string& text, void* object) override;
    void AddStrings(const TStrings& strings) override;
    void Insert(int index, const std::string& text) override;
    void Delete(int index) override;
    void Clear() override { items_.clear(); }
    int IndexOf(const std::string& text) const override;

    // A sorted list keeps its strings in order (ASCII case ignored); adding a string that is
    // already there gives the index of the one there and adds nothing.
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    // Binary search in a sorted list: true and the index of the string when found, otherwise
    // false and the index where it would go.
    bool Find(const std::string& text, int& index) const;

private:
    struct Item {
        std::string text;
        void* object;
    };
    std::vector<Item> items_;
    bool sorted_ = false;
};

// Compares two strings with ASCII letter case ignored (<0, 0, >0).
int CompareText(const std::string& a, const std::string& b);
