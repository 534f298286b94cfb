#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "Platform/MultitouchProvider.h"
#include "Platform/evdev/EvemuRecording.h"
#include "Platform/linux/input/DeviceFacts.h"
#include "Platform/linux/input/ReportFilter.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/linux/input/ReportProcessor.h"
#include "Platform/linux/input/ReportSink.h"

namespace tactora::lx {

// The state behind the playback provider's C symbols: an evemu recording in the mouse's place. It
// lists one device, described by the recording and classified and measured by the same facts as a
// live device. Started, it plays the recording on one thread in real time: the first event at the
// first start, every later one after its recorded gap, each report through the same processing as
// the live mouse's (the report filter sees a report's buttons and wheels, then its frame goes to
// the callback). The recording plays once per process: a stop pauses it, a later start goes on
// along the same timeline (what fell due meanwhile comes at once), and once it has ended a start
// plays nothing. At its end every button still held is released and every contact still down
// ends, so a recording cut off mid-gesture leaves no drag or button held.
class PlaybackMultitouch final : private ReportSink {
 public:
  static constexpr const char* threadName = "MTPlayback";

  PlaybackMultitouch() = default;
  ~PlaybackMultitouch() override;
  PlaybackMultitouch(const PlaybackMultitouch&) = delete;
  PlaybackMultitouch& operator=(const PlaybackMultitouch&) = delete;

  // Reads the recording at `path`. Nothing when it can be played, else what is wrong, naming the
  // file ("FILE:LINE: what is wrong"). Only one recording per process.
  std::optional<std::string> load(const std::string& path);

  // A new list with the recorded device (empty before a recording is loaded).
  MTDeviceList* createList();
  static bool isBuiltIn(MTDeviceRef device);
  static std::int32_t familyID(MTDeviceRef device);
  static void surfaceDimensions(MTDeviceRef device, std::int32_t* width, std::int32_t* height);
  static void setCallback(MTDeviceRef device, MTContactFrameCallback callback, bool registering);
  // Starts (or resumes) the playback with this device's callback; -1 for an unknown device.
  std::int32_t start(MTDeviceRef device);
  // Pauses the playback; once this returns, no frame is delivered.
  void stop(MTDeviceRef device);

  void setReportFilter(ReportFilter filter);
  void setLog(ReaderLog log) { log_ = log; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Device;
  static Device* deviceOf(MTDeviceRef ref);
  static void destroyDevice(MTObject* object);
  static void destroyList(MTObject* object);

  // Under the control lock: stops the playback thread, if any, and forgets the device.
  void pauseLocked();
  void run();
  Clock::time_point dueTime(std::size_t index) const;
  void feed(const platform::EvemuRecording::Event& event, Clock::time_point due);
  void logLine(int level, const std::string& line) const;

  // ReportSink
  void forwardEvents(std::span<const input_event> events) override;
  void deliverFrame(const platform::FrameAssembler& frame) override;

  // Set once by load, read-only afterwards.
  std::string path_;
  platform::EvemuRecording recording_;
  DeviceFacts facts_;
  bool loaded_ = false;
  ReaderLog log_ = nullptr;

  // Start and stop come from the pipeline's thread; the lock serialises them with each other.
  std::mutex controlMutex_;
  // Guards the two below; the playback thread waits on `wake_` between reports.
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopRequested_ = false;
  ReportFilter filter_;

  // Touched by the playback thread while it runs, and by start and stop only while it does not.
  std::thread thread_;
  Device* playing_ = nullptr;
  std::optional<Clock::time_point> startedAt_;  // the first start: the first event's time
  std::size_t next_ = 0;                        // the first event not yet played
  std::optional<ReportProcessor> processor_;    // kept across pauses, like the mouse's own state
  std::optional<ReportForwarder> forwarder_;    // the filter as it was at the last start
};

}  // namespace tactora::lx
