#pragma once

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Platform/MultitouchProvider.h"
#include "Platform/evdev/EvemuRecording.h"
#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx::test {

// One delivered frame, copied out of the callback.
struct Frame {
  std::vector<unsigned char> records;
  std::int32_t count = 0;
  double timeSeconds = 0;
  bool operator==(const Frame&) const = default;
};

// The frames the replay's path (the frame assembler fed directly) makes of a recording.
std::vector<Frame> framesOf(const platform::EvemuRecording& recording);

// The evdev provider library as the bridge sees it (its symbols resolved with dlsym), with a frame
// callback that records what arrives and a report filter that records the mouse's own events.
struct ProviderClient {
  ProviderClient();
  bool loaded() const { return handle != nullptr; }
  // Registers the recording callback and starts the device; unregisters it and stops the device.
  std::int32_t start(MTDeviceRef device) const;
  void stop(MTDeviceRef device) const;
  // Records the mouse's reports (`exclusive`: the provider grabs the mouse); none.
  void setFilter(bool exclusive) const { setReportFilter(recordReport, nullptr, exclusive); }
  void clearFilter() const { setReportFilter(nullptr, nullptr, false); }

  // How long a wait for the provider lasts at most. A passing test waits only as long as the
  // provider takes; the bound is for a loaded machine, where that can be long.
  static constexpr std::chrono::seconds deadline{30};

  // Waits until `count` frames have arrived, or until `done` holds for the frames so far (or the
  // wait's bound passed); all of them.
  static std::vector<Frame> waitForFrames(std::size_t count);
  static std::vector<Frame> waitForFrames(
      const std::function<bool(const std::vector<Frame>&)>& done,
      std::chrono::seconds within = deadline);
  static std::vector<input_event> waitForForwarded(std::size_t count);
  // The frame callback and report filter that record what arrives (the filter keeps it all), also
  // for a provider driven without its library.
  static std::int32_t recordFrame(MTDeviceRef device, const void* contacts, std::int32_t count,
                                  double time, std::int32_t frameNumber);
  static std::int32_t recordReport(void* context, input_event* events, std::int32_t count);
  static void clearRecords();
  static std::vector<std::string> logLines();

  // The library's function `name`, as the bridge resolves it.
  template <class Fn>
  Fn symbol(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle, name));
  }

  void* handle = nullptr;
  MTDeviceCreateListFn createList = nullptr;
  MTDeviceIsBuiltInFn isBuiltIn = nullptr;
  MTDeviceGetFamilyIDFn family = nullptr;
  MTDeviceGetSensorSurfaceDimensionsFn dimensions = nullptr;
  TactoraEvdevSetReportFilterFn setReportFilter = nullptr;
  // The provider's writer to the mouse's clone, as the poster uses it.
  TactoraEvdevWritePointerEventsFn pointerWriter = nullptr;
};

}  // namespace tactora::lx::test
