#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Platform/MultitouchProvider.h"

namespace tactora::platform {

// One absolute axis of an evdev device, as the kernel advertises it.
struct EvdevAxis {
  std::int32_t minimum = 0;
  std::int32_t maximum = 0;
  std::int32_t resolution = 0;  // units per millimetre; 0 when unknown
};

// What the assembler needs to know of an evdev multitouch device.
struct EvdevTouchDevice {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  EvdevAxis positionX;           // ABS_MT_POSITION_X
  EvdevAxis positionY;           // ABS_MT_POSITION_Y
  std::int32_t initialSlot = 0;  // ABS_MT_SLOT's value when reading starts
};

struct SurfaceSizeMM {
  float widthMM = 0;
  float depthMM = 0;
};

// Turns the protocol-B slot events of one evdev multitouch device into contact frames: one frame
// per SYN_REPORT while any contact is down (and one empty frame when the last one goes), each a
// run of 96-byte contact records. Shared by the sim provider's replay path and the evdev provider.
// Not thread-safe: one device's events come from one reader.
class FrameAssembler {
 public:
  static constexpr int maxSlots = 16;

  explicit FrameAssembler(const EvdevTouchDevice& device);

  // Feeds one event. True when it completed a frame, which `records`, `recordCount`,
  // `frameTimeSeconds` and `frameNumber` then describe until the next call.
  bool handleEvent(double timeSeconds, std::uint16_t type, std::uint16_t code, std::int32_t value);

  const void* records() const { return records_.data(); }
  std::int32_t recordCount() const { return recordCount_; }
  double frameTimeSeconds() const { return frameTimeSeconds_; }
  std::int32_t frameNumber() const { return frameNumber_; }

  // The touch surface in millimetres (zero when the device advertises no resolution).
  SurfaceSizeMM surfaceSizeMM() const;

  // Forgets every contact, as after the device was re-opened.
  void reset();

  // Apple's Magic Mouse (both generations) advertises each axis's extent under the other axis.
  static bool isMagicMouse(std::uint16_t vendor, std::uint16_t product);

 private:
  struct Slot {
    std::int32_t trackingID = -1;
    std::int32_t rawX = 0;
    std::int32_t rawY = 0;
    std::int32_t touchMajor = 0;
    bool hasPrevious = false;  // a frame already carried this contact
    float previousX = 0;
    float previousY = 0;
    double previousTimeSeconds = 0;
  };

  void handleAbs(std::uint16_t code, std::int32_t value);
  bool finishReport(double timeSeconds);
  float normalisedX(std::int32_t raw) const;
  float normalisedY(std::int32_t raw) const;

  EvdevTouchDevice device_;
  std::array<Slot, maxSlots> slots_{};
  std::int32_t currentSlot_ = 0;
  bool droppingUntilReport_ = false;
  int contactsInLastFrame_ = 0;
  std::array<unsigned char, maxSlots * MT_CONTACT_RECORD_SIZE> records_{};
  std::int32_t recordCount_ = 0;
  double frameTimeSeconds_ = 0;
  std::int32_t frameNumber_ = 0;
};

}  // namespace tactora::platform
