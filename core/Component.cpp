#include "core/Component.h"

#include <algorithm>

#include "core/Collection.h"

namespace wispel {

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->insertComponent(this);
}

TComponent::~TComponent() {
    // Tell everyone who refers to this component before it goes away.
    while (!notified_.empty()) {
        TComponent* other = notified_.back();
        notified_.pop_back();
        unlink(other->watched_, this);
        other->Notification(this, TOperation::opRemove);
    }
    while (!watched_.empty()) {
        TComponent* other = watched_.back();
        watched_.pop_back();
        unlink(other->notified_, this);
    }
    // Owned components go in reverse order of creation.
    while (!components_.empty()) {
        TComponent* child = components_.back();
        delete child;  // its destructor removes it from components_
    }
    if (owner_) owner_->removeComponent(this);
}

TComponent* TComponent::Components(int index) const {
    checkListIndex(index, ComponentCount());
    return components_[static_cast<size_t>(index)];
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(watched_.begin(), watched_.end(), other) != watched_.end()) return;
    watched_.push_back(other);
    other->notified_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other) return;
    unlink(watched_, other);
    unlink(other->notified_, this);
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::insertComponent(TComponent* child) {
    components_.push_back(child);
    child->owner_ = this;
}

void TComponent::removeComponent(TComponent* child) {
    unlink(components_, child);
    child->owner_ = nullptr;
    Notification(child, TOperation::opRemove);
}

void TComponent::unlink(std::vector<TComponent*>& list, TComponent* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

}  // namespace wispel
