// Feeds arbitrary bytes as successive frames of 96-byte contact records through the reader and
// checks the phases it reports: every id at most once per frame, `began` only for new contacts,
// `ended` only for remembered ones, and what it remembers is exactly what is touching.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "Platform/MultitouchProvider.h"
#include "Tactora/input/ContactRecordReader.h"
#include "fuzz/FuzzSupport.h"

using tactora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tactora::ContactRecordReader reader;
  std::set<std::int32_t> remembered;
  std::vector<unsigned char> records;
  double now = 100.0;
  std::size_t offset = 0;
  while (offset < size) {
    // Each frame: one byte of record count (0...31), then that many records, zero-padded when
    // the input runs out.
    const std::size_t count = data[offset++] % 32;
    records.assign(std::max<std::size_t>(count, 1) * MT_CONTACT_RECORD_SIZE, 0);
    const std::size_t available = std::min(count * MT_CONTACT_RECORD_SIZE, size - offset);
    if (available > 0) {
      std::memcpy(records.data(), data + offset, available);
    }
    offset += available;
    now += 0.01;

    reader.read(static_cast<std::int32_t>(count), records.data(), now);

    std::set<std::int32_t> seen;
    std::set<std::int32_t> touching;
    for (const tactora::Touch& touch : reader.touches()) {
      check(seen.insert(touch.id).second);
      switch (touch.phase) {
        case tactora::TouchPhase::began:
          check(remembered.count(touch.id) == 0);
          touching.insert(touch.id);
          break;
        case tactora::TouchPhase::moved:
          check(remembered.count(touch.id) == 1);
          touching.insert(touch.id);
          break;
        case tactora::TouchPhase::ended:
          check(remembered.count(touch.id) == 1);
          break;
      }
    }
    check(static_cast<int>(touching.size()) == reader.touchingCount());
    check(reader.isEmpty() == touching.empty());
    for (std::int32_t id : touching) {
      const auto* record = reader.previousContact(id);
      check(record != nullptr && record->touchedDownAt <= now);
    }
    check(reader.earliestTouchDown() <= now);
    remembered = touching;
  }
  return 0;
}
