#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tactora {

// The device reports at most 16 contacts at a time, so every per-contact table has room for 16.
// A contact that touches down while 16 are already tracked is not stored: its later `moved` and
// `ended` touches find no record and are ignored like any unknown id, for the whole life of that
// contact (the slot that frees later is taken by the next touch-down). This keeps frame processing
// free of allocation and bounds the state a faulty frame source can make us hold.
inline constexpr std::size_t maxTrackedContacts = 16;

// A small map from contact id to per-contact state in fixed storage, kept in touch-down order.
// Lookups are linear: with at most 16 entries that beats hashing and never allocates.
template <typename State>
class ContactTable {
 public:
  struct Entry {
    std::int32_t id = 0;
    State state{};
  };

  State* find(std::int32_t id) {
    for (std::size_t i = 0; i < count_; ++i) {
      if (entries_[i].id == id) {
        return &entries_[i].state;
      }
    }
    return nullptr;
  }
  const State* find(std::int32_t id) const { return const_cast<ContactTable*>(this)->find(id); }
  bool contains(std::int32_t id) const { return find(id) != nullptr; }

  // Stores `state` under `id`, replacing an existing record. Returns false, storing nothing, when
  // `id` is new and the table is full.
  bool insertOrAssign(std::int32_t id, const State& state) {
    if (State* existing = find(id)) {
      *existing = state;
      return true;
    }
    if (count_ == entries_.size()) {
      return false;
    }
    entries_[count_++] = Entry{id, state};
    return true;
  }

  // Removes the record for `id` and hands it back; none when there was no record.
  std::optional<State> take(std::int32_t id) {
    for (std::size_t i = 0; i < count_; ++i) {
      if (entries_[i].id == id) {
        std::optional<State> removed{entries_[i].state};
        removeAt(i);
        return removed;
      }
    }
    return std::nullopt;
  }

  bool erase(std::int32_t id) {
    for (std::size_t i = 0; i < count_; ++i) {
      if (entries_[i].id == id) {
        removeAt(i);
        return true;
      }
    }
    return false;
  }

  void clear() { count_ = 0; }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::span<const Entry> entries() const { return {entries_.data(), count_}; }

 private:
  // Shifting keeps touch-down order, so sums over the table are taken in a stable order.
  void removeAt(std::size_t index) {
    for (std::size_t i = index + 1; i < count_; ++i) {
      entries_[i - 1] = entries_[i];
    }
    --count_;
  }

  std::array<Entry, maxTrackedContacts> entries_{};
  std::size_t count_ = 0;
};

}  // namespace tactora
