#include "Tactora/input/ContactRecordReader.h"

#include <algorithm>
#include <cstring>

#include "Platform/MultitouchProvider.h"

namespace tactora {

namespace {

// Records are little-endian and need not be aligned; memcpy reads them safely on the
// little-endian machines we run on.
template <class T>
T readField(const unsigned char* record, std::size_t offset) {
  T value;
  std::memcpy(&value, record + offset, sizeof value);
  return value;
}

}  // namespace

ContactRecordReader::ContactRecordReader() {
  previousContacts_.reserve(reservedContacts);
  touches_.reserve(2 * reservedContacts);
  currentIDs_.reserve(reservedContacts);
}

ContactRecordReader::RawContact ContactRecordReader::readRecord(const void* records,
                                                                std::size_t index) {
  const auto* record = static_cast<const unsigned char*>(records) + index * MT_CONTACT_RECORD_SIZE;
  RawContact contact;
  contact.id = readField<std::int32_t>(record, MT_CONTACT_OFFSET_ID);
  contact.state = readField<std::int32_t>(record, MT_CONTACT_OFFSET_STATE);
  contact.position.x = readField<float>(record, MT_CONTACT_OFFSET_POSITION);
  contact.position.y = readField<float>(record, MT_CONTACT_OFFSET_POSITION + 4);
  contact.velocity.x = readField<float>(record, MT_CONTACT_OFFSET_VELOCITY);
  contact.velocity.y = readField<float>(record, MT_CONTACT_OFFSET_VELOCITY + 4);
  contact.size = readField<float>(record, MT_CONTACT_OFFSET_SIZE);
  return contact;
}

const ContactRecordReader::ContactRecord* ContactRecordReader::previousContact(
    std::int32_t id) const {
  for (const auto& [contactID, record] : previousContacts_) {
    if (contactID == id) {
      return &record;
    }
  }
  return nullptr;
}

void ContactRecordReader::read(std::int32_t count, const void* records, double nowSeconds) {
  const std::size_t n = count > 0 && records != nullptr ? static_cast<std::size_t>(count) : 0;
  touches_.clear();
  currentIDs_.clear();
  // Capacity only ever grows, so a steady stream of frames stops allocating after the first.
  if (touches_.capacity() < n + previousContacts_.size()) {
    touches_.reserve(n + previousContacts_.size());
  }
  if (currentIDs_.capacity() < n) {
    currentIDs_.reserve(n);
  }
  earliestTouchDown_ = nowSeconds;

  for (std::size_t i = 0; i < n; ++i) {
    const RawContact raw = readRecord(records, i);
    if (!raw.isTouching()) {
      continue;
    }
    // A device listing the same contact twice in one frame would otherwise hand the engine two
    // touches with one id; the first record of the frame wins.
    if (std::find(currentIDs_.begin(), currentIDs_.end(), raw.id) != currentIDs_.end()) {
      continue;
    }
    currentIDs_.push_back(raw.id);

    auto remembered = std::find_if(previousContacts_.begin(), previousContacts_.end(),
                                   [&](const auto& entry) { return entry.first == raw.id; });
    const bool known = remembered != previousContacts_.end();
    const double touchedDownAt = known ? remembered->second.touchedDownAt : nowSeconds;
    touches_.push_back(Touch{raw.id, known ? TouchPhase::moved : TouchPhase::began, raw.position,
                             raw.velocity, raw.size, 0});
    if (known) {
      remembered->second.position = raw.position;
    } else {
      previousContacts_.emplace_back(raw.id, ContactRecord{raw.position, touchedDownAt});
    }
    earliestTouchDown_ = std::min(earliestTouchDown_, touchedDownAt);
  }

  // Contacts remembered from earlier frames but not touching in this one have lifted (or
  // vanished): each ends once, at its last touching position.
  auto lifted =
      std::remove_if(previousContacts_.begin(), previousContacts_.end(), [&](const auto& entry) {
        const bool touching =
            std::find(currentIDs_.begin(), currentIDs_.end(), entry.first) != currentIDs_.end();
        if (!touching) {
          touches_.push_back(
              Touch{entry.first, TouchPhase::ended, entry.second.position, PointF{}, 0, 0});
        }
        return !touching;
      });
  previousContacts_.erase(lifted, previousContacts_.end());
}

}  // namespace tactora
