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
    CloseGaps();
    return components_[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (TComponent* component : components_)
        if (component != nullptr && component->name_ == name)
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
    if (owner_ != nullptr)
        owner_->Forget(this);
    owner_ = owner;
    if (owner_ != nullptr) {
        ownerSlot_ = owner_->components_.size();
        owner_->components_.push_back(this);
    }
}

void TComponent::Forget(TComponent* component) {
    auto& list = components_;
    const size_t slot = component->ownerSlot_;
    if (slot >= list.size() || list[slot] != component)
        return; // abandoned with the rest of the list
    list[slot] = nullptr;
    ++gaps_;
    while (!list.empty() && list.back() == nullptr) {
        list.pop_back();
        --gaps_;
    }
    if (gaps_ * 2 > list.size())
        CloseGaps();
}

void TComponent::CloseGaps() const {
    if (gaps_ == 0)
        return;
    size_t kept = 0;
    for (TComponent* component : components_) {
        if (component != nullptr) {
            component->ownerSlot_ = kept;
            components_[kept++] = component;
        }
    }
    components_.resize(kept);
    gaps_ = 0;
}
