#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Events.h"
#include "Platform/UniqueFd.h"
#include "Platform/linux/events/LinuxEventTaps.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/UinputPoster.h"
#include "Platform/linux/provider/EvdevProvider.h"

namespace tactora::lx {

// The event system of the Linux backend. Events are plain values; posting writes them through
// the uinput poster (keys to the virtual keyboard; clicks, drags and scrolls to the pointer
// device); the pointer and the held modifiers come from the functions it is given (X11's where
// an X server is reachable); the taps see the mouse's own button and wheels through the evdev
// provider's report filter, which `taps()` is installed as. It owns the two device descriptors:
// closing them on destruction destroys the devices, and the kernel lets go of what they held.
class LinuxEvents final : public platform::Events {
 public:
  // Whether a grant is there: nothing when it is, else which file could not be opened and why
  // ("/dev/uinput: Permission denied — ...").
  using GrantCheck = std::function<std::optional<std::string>()>;

  struct Parts {
    // The virtual keyboard and our own pointer device; either absent (-1) means no posting at
    // all, and then there is no event source either.
    platform::UniqueFd keyboard;
    platform::UniqueFd pointer;
    DesktopFamily desktop = DesktopFamily::other;
    // Pauses between the clicks of a multiple click; null: none.
    UinputPoster::Pause pause;
    // Null: the pointer reads (0, 0) and drags post no motion of their own.
    std::function<std::optional<platform::Point>()> pointerLocation;
    // The held modifiers of the whole session; null: none are ever held.
    std::function<platform::EventFlags()> modifierFlags;
    // The grant behind a listen-only tap (the mouse's events can be read) and behind a filtering
    // tap (what it keeps can be forwarded through uinput); null: granted.
    GrantCheck listenGrant = nullptr;
    GrantCheck filterGrant = nullptr;
    // The evdev provider's way to the mouse's clone, which takes pointer events before our own
    // pointer does while the mouse is held; null: our own pointer only.
    TactoraEvdevWritePointerEventsFn writeToClone = nullptr;
  };

  explicit LinuxEvents(Parts parts);
  ~LinuxEvents() override;
  LinuxEvents(const LinuxEvents&) = delete;
  LinuxEvents& operator=(const LinuxEvents&) = delete;

  // What the provider's report filter calls (see `EvdevProviderLink`).
  LinuxEventTaps& taps() { return taps_; }
  // Whether posted events have somewhere to go.
  bool canPost() const { return poster_ != nullptr; }

  // --- platform::Events
  std::optional<platform::EventSource> createEventSource(
      platform::EventSourceStateID stateID) override;
  std::optional<platform::Event> createEvent(const platform::EventSource* source) override;
  std::optional<platform::Event> createKeyboardEvent(const platform::EventSource* source,
                                                     std::uint16_t keyCode, bool keyDown) override;
  std::optional<platform::Event> createMouseEvent(const platform::EventSource* source,
                                                  platform::EventType type,
                                                  platform::Point location,
                                                  platform::MouseButton button) override;
  std::optional<platform::Event> createScrollWheelEvent(const platform::EventSource* source,
                                                        platform::ScrollEventUnit units,
                                                        std::uint32_t wheelCount,
                                                        std::int32_t wheel1,
                                                        std::int32_t wheel2) override;
  // Without devices, or with a type that means nothing to the kernel, nothing is written. The
  // first failed write is logged; later ones are not, so a vanished device cannot flood the log.
  void post(platform::EventTapLocation location, const platform::Event& event) override;
  std::optional<platform::Point> pointerLocation() override;
  platform::EventFlags flagsState(platform::EventSourceStateID stateID) override;
  // The taps' callbacks run on the mouse's delivery thread, not on a run loop: the run loop's
  // tap source has nothing to add on Linux. Without the grant behind the tap there is none, and
  // one line says which file could not be opened.
  std::shared_ptr<platform::EventTap> createEventTap(const platform::EventTapParameters& parameters,
                                                     platform::EventTapCallback callback) override;

 private:
  platform::UniqueFd keyboard_;
  platform::UniqueFd pointer_;
  std::function<std::optional<platform::Point>()> pointerLocation_;
  std::function<platform::EventFlags()> modifierFlags_;
  GrantCheck listenGrant_;
  GrantCheck filterGrant_;
  std::unique_ptr<UinputPoster> poster_;  // null without both devices
  LinuxEventTaps taps_;
  std::atomic<bool> writeFailureLogged_{false};
};

}  // namespace tactora::lx
