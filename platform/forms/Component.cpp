#include "platform/forms/Component.h"

TComponent::TComponent(TComponent* owner) {
    SetOwner(owner);
}

TComponent::~TComponent() {
    DestroyComponents();
    SetOwner(nullptr);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        return nullptr;
    return components_.At(static_cast<size_t>(index));
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    TComponent* found = nullptr;
    components_.ForEach([&](TComponent* component) {
        if (found == nullptr && component->name_ == name)
            found = component;
    });
    return found;
}

void TComponent::DestroyComponents() {
    // Each destructor takes its component out of the list (and may take others with it).
    while (!components_.Empty())
        delete components_.Last();
}

void TComponent::SetOwner(TComponent* owner) {
    if (owner == owner_)
        return;
    if (owner_ != nullptr)
        owner_->components_.Remove(this); // false when abandoned with the rest of the list
    owner_ = owner;
    if (owner_ != nullptr)
        owner_->components_.Add(this);
}
