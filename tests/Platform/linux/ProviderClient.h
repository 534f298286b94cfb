#pragma once

#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
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
class ProviderClient {
 public:
  ProviderClient();
  bool loaded() const { return handle_ != nullptr; }

  MTDeviceList* createList() const { return createList_(); }
  bool isBuiltIn(MTDeviceRef device) const { return isBuiltIn_(device); }
  std::int32_t family(MTDeviceRef device) const;
  void dimensions(MTDeviceRef device, std::int32_t* width, std::int32_t* height) const {
    dimensions_(device, width, height);
  }
  // Registers the recording callback and starts the device.
  std::int32_t start(MTDeviceRef device) const;
  void stop(MTDeviceRef device) const;
  void setFilter(bool exclusive) const;
  void clearFilter() const;
  // The provider's writer to the mouse's clone, as the poster uses it.
  TactoraEvdevWritePointerEventsFn pointerWriter() const { return writePointer_; }

  // How long a wait for the provider lasts at most. A passing test waits only as long as the
  // provider takes; the bound is for a loaded machine, where that can be long.
  static constexpr std::chrono::seconds deadline{30};

  // Waits until `count` frames have arrived (or the deadline passed); all of them.
  static std::vector<Frame> waitForFrames(std::size_t count);
  // Waits until `done` holds for the frames so far (or `within` passed); all of them.
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

 private:
  void* handle_ = nullptr;
  MTDeviceCreateListFn createList_ = nullptr;
  MTDeviceIsBuiltInFn isBuiltIn_ = nullptr;
  MTDeviceGetFamilyIDFn family_ = nullptr;
  MTDeviceGetSensorSurfaceDimensionsFn dimensions_ = nullptr;
  MTRegisterContactFrameCallbackFn register_ = nullptr;
  MTUnregisterContactFrameCallbackFn unregister_ = nullptr;
  MTDeviceStartFn start_ = nullptr;
  MTDeviceStopFn stop_ = nullptr;
  TactoraEvdevSetReportFilterFn setFilter_ = nullptr;
  TactoraEvdevSetLogHandlerFn setLog_ = nullptr;
  TactoraEvdevWritePointerEventsFn writePointer_ = nullptr;
};

}  // namespace tactora::lx::test
