#include "platform/forms/Component.h"

#include <algorithm>

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
    return components_[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : components_)
        if (component->name_ == name)
            return component;
    return nullptr;
}

void TComponent::DestroyComponents() {
    // Each destructor takes its component out of the list (and may take others with it).
    while (!components_.empty())
        delete components_.back();
}

void TComponent::SetOwner(TComponent* owner) {
    if (owner == owner_)
        return;
    if (owner_ != nullptr) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    owner_ = owner;
    if (owner_ != nullptr)
        owner_->components_.push_back(this);
}
