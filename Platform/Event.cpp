#include "Platform/Event.h"

#include <algorithm>

namespace tactora::platform {

std::int64_t Event::integerValueField(EventField field) const {
  for (std::size_t i = 0; i < fieldCount_; ++i) {
    if (fields_[i].field == field) {
      return fields_[i].value;
    }
  }
  return 0;
}

void Event::setIntegerValueField(EventField field, std::int64_t value) {
  for (std::size_t i = 0; i < fieldCount_; ++i) {
    if (fields_[i].field == field) {
      fields_[i].value = value;
      return;
    }
  }
  if (fieldCount_ < maxFields) {
    fields_[fieldCount_++] = Field{field, value};
  }
}

bool operator==(const Event& a, const Event& b) {
  if (a.type_ != b.type_ || a.location_ != b.location_ || a.flags_ != b.flags_) {
    return false;
  }
  // A field set to 0 reads the same as one never set, so compare by reading both ways.
  const auto sameAsOther = [](const Event& x, const Event& y) {
    return std::all_of(x.fields().begin(), x.fields().end(), [&y](const Event::Field& f) {
      return y.integerValueField(f.field) == f.value;
    });
  };
  return sameAsOther(a, b) && sameAsOther(b, a);
}

}  // namespace tactora::platform
