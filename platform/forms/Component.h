#pragma once
// The root of the component classes: an object with an owner, a name and a tag.
//
// The owner rule: a component is destroyed with its owner unless it was deleted first, and
// deleting a component removes it from its owner. Owned components are destroyed last-created
// first. A component owns nothing else; what a control shows lives in Control.h.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/forms/SlotList.h"

// Base of everything that can be the sender of an event.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

// An event without arguments beyond its sender (null when a handler is called directly).
using TNotifyEvent = std::function<void(TObject* Sender)>;

class TComponent : public TObject {
public:
    // owner may be null: the caller then deletes the component itself.
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    // Wide enough for a pointer: a counter object is kept in a menu item's Tag.
    intptr_t Tag() const { return tag_; }
    void SetTag(intptr_t tag) { tag_ = tag; }

    int ComponentCount() const { return static_cast<int>(components_.Count()); }
    TComponent* Components(int index) const;
    // The owned component of that name, null when there is none.
    TComponent* FindComponent(const std::string& name) const;

    // Destroys every owned component now, last-created first.
    void DestroyComponents();

    // Changes the owner; the component leaves its old owner's list.
    void SetOwner(TComponent* owner);

protected:
    // Forgets the owned components without destroying them (for an owner that outlives the
    // toolkit they need).
    void AbandonComponents() { components_.Clear(); }

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    intptr_t tag_ = 0;
    size_t ownerSlot_ = 0;
    // The owned components in creation order; a table of thousands of controls is destroyed in
    // linear time.
    SlotList<TComponent> components_{&TComponent::ownerSlot_};
};
