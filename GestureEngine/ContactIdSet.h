#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "GestureEngine/ContactTable.h"

namespace tactora {

// A set of contact ids in fixed storage (at most maxTrackedContacts members), for the tap session.
class ContactIdSet {
 public:
  bool contains(std::int32_t id) const {
    for (std::size_t i = 0; i < count_; ++i) {
      if (ids_[i] == id) {
        return true;
      }
    }
    return false;
  }

  // Returns false when the set is full and `id` is not a member.
  bool insert(std::int32_t id) {
    if (contains(id)) {
      return true;
    }
    if (count_ == ids_.size()) {
      return false;
    }
    ids_[count_++] = id;
    return true;
  }

  // Returns whether `id` was a member.
  bool erase(std::int32_t id) {
    for (std::size_t i = 0; i < count_; ++i) {
      if (ids_[i] == id) {
        ids_[i] = ids_[count_ - 1];
        --count_;
        return true;
      }
    }
    return false;
  }

  // True when the set is empty or holds `id` alone.
  bool holdsNothingBut(std::int32_t id) const {
    return count_ == 0 || (count_ == 1 && ids_[0] == id);
  }

  void clear() { count_ = 0; }
  bool empty() const { return count_ == 0; }
  std::size_t size() const { return count_; }

 private:
  std::array<std::int32_t, maxTrackedContacts> ids_{};
  std::size_t count_ = 0;
};

}  // namespace tactora
