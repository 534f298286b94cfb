#include "tests/Platform/linux/ProviderClient.h"

#include <condition_variable>
#include <mutex>

#include "Platform/evdev/FrameAssembler.h"

namespace tactora::lx::test {

namespace {

std::mutex gMutex;
std::condition_variable gChanged;
std::vector<Frame> gFrames;
std::vector<input_event> gForwarded;
std::vector<std::string> gLog;

void recordLog(void*, std::int32_t, const char* message) {
  std::lock_guard lock(gMutex);
  gLog.emplace_back(message);
}

Frame frameOf(const void* contacts, std::int32_t count, double time) {
  const auto* bytes = static_cast<const unsigned char*>(contacts);
  return {{bytes, bytes + static_cast<std::size_t>(count) * MT_CONTACT_RECORD_SIZE}, count, time};
}

}  // namespace

std::int32_t ProviderClient::recordFrame(MTDeviceRef, const void* contacts, std::int32_t count,
                                         double time, std::int32_t) {
  std::lock_guard lock(gMutex);
  gFrames.push_back(frameOf(contacts, count, time));
  gChanged.notify_all();
  return 0;
}

std::int32_t ProviderClient::recordReport(void*, input_event* events, std::int32_t count) {
  std::lock_guard lock(gMutex);
  gForwarded.insert(gForwarded.end(), events, events + count);
  gChanged.notify_all();
  return count;
}

std::vector<Frame> framesOf(const platform::EvemuRecording& recording) {
  const platform::EvemuRecording::Axis* x = recording.axis(ABS_MT_POSITION_X);
  const platform::EvemuRecording::Axis* y = recording.axis(ABS_MT_POSITION_Y);
  platform::FrameAssembler assembler({recording.id->vendor,
                                      recording.id->product,
                                      {x->minimum, x->maximum, x->resolution},
                                      {y->minimum, y->maximum, y->resolution},
                                      0});
  std::vector<Frame> frames;
  for (const platform::EvemuRecording::Event& event : recording.events) {
    if (assembler.handleEvent(static_cast<double>(event.timeMicroseconds) / 1e6, event.type,
                              event.code, event.value)) {
      frames.push_back(
          frameOf(assembler.records(), assembler.recordCount(), assembler.frameTimeSeconds()));
    }
  }
  return frames;
}

ProviderClient::ProviderClient()
    : handle(dlopen(TACTORA_EVDEV_PROVIDER_PATH, RTLD_NOW)),
      createList(symbol<MTDeviceCreateListFn>("MTDeviceCreateList")),
      isBuiltIn(symbol<MTDeviceIsBuiltInFn>("MTDeviceIsBuiltIn")),
      family(symbol<MTDeviceGetFamilyIDFn>("MTDeviceGetFamilyID")),
      dimensions(
          symbol<MTDeviceGetSensorSurfaceDimensionsFn>("MTDeviceGetSensorSurfaceDimensions")),
      setReportFilter(symbol<TactoraEvdevSetReportFilterFn>(TACTORA_EVDEV_SET_REPORT_FILTER)),
      pointerWriter(symbol<TactoraEvdevWritePointerEventsFn>(TACTORA_EVDEV_WRITE_POINTER_EVENTS)) {
  if (handle != nullptr) {
    symbol<TactoraEvdevSetLogHandlerFn>(TACTORA_EVDEV_SET_LOG_HANDLER)(recordLog, nullptr);
  }
}

std::int32_t ProviderClient::start(MTDeviceRef device) const {
  symbol<MTRegisterContactFrameCallbackFn>("MTRegisterContactFrameCallback")(device, recordFrame);
  return symbol<MTDeviceStartFn>("MTDeviceStart")(device, 0);
}

void ProviderClient::stop(MTDeviceRef device) const {
  symbol<MTUnregisterContactFrameCallbackFn>("MTUnregisterContactFrameCallback")(device,
                                                                                 recordFrame);
  symbol<MTDeviceStopFn>("MTDeviceStop")(device);
}

std::vector<Frame> ProviderClient::waitForFrames(std::size_t count) {
  return waitForFrames(
      [count](const std::vector<Frame>& frames) { return frames.size() >= count; });
}

std::vector<Frame> ProviderClient::waitForFrames(
    const std::function<bool(const std::vector<Frame>&)>& done, std::chrono::seconds within) {
  std::unique_lock lock(gMutex);
  gChanged.wait_for(lock, within, [&] { return done(gFrames); });
  return gFrames;
}

std::vector<input_event> ProviderClient::waitForForwarded(std::size_t count) {
  std::unique_lock lock(gMutex);
  gChanged.wait_for(lock, deadline, [&] { return gForwarded.size() >= count; });
  return gForwarded;
}

void ProviderClient::clearRecords() {
  std::lock_guard lock(gMutex);
  gFrames.clear();
  gForwarded.clear();
  gLog.clear();
}

std::vector<std::string> ProviderClient::logLines() {
  std::lock_guard lock(gMutex);
  return gLog;
}

}  // namespace tactora::lx::test
