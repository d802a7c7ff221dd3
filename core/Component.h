#pragma once
// Components: objects with an owner. An owner frees the components it owns when it is
// freed. A component may ask to be told when another one it refers to (without owning
// it) is destroyed, so that it can clear its reference.
//
// Ownership: a component created with a non-null owner is owned by it and freed by it;
// deleting an owned component directly is allowed and removes it from its owner first.

#include <string>
#include <vector>

namespace wispel {

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return owner_; }
    int ComponentCount() const noexcept { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;  // EListError when out of range

    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // Asks to be told (through Notification with opRemove) when `other` is destroyed.
    void FreeNotification(TComponent* other);
    // Withdraws that request.
    void RemoveFreeNotification(TComponent* other);

protected:
    // Called on every component that asked for the free notification of `component`,
    // and on its owner, while `component` is being destroyed.
    virtual void Notification(TComponent* component, TOperation operation);

private:
    void insertComponent(TComponent* child);
    void removeComponent(TComponent* child);
    static void unlink(std::vector<TComponent*>& list, TComponent* item);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;  // owned
    std::vector<TComponent*> notified_;    // told when this one is destroyed; not owned
    std::vector<TComponent*> watched_;     // this one asked to be told about these
};

}  // namespace wispel
