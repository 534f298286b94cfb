#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GestureEngine/Expected.h"

namespace tactora {

// A touch script (a `.touch` file): a readable description of what fingers, the mouse and its
// button do over time, from which a recorded session is synthesised. One command per line, each
// starting with its time in seconds (or a range FROM..TO for movement spread over time):
//
//   # a two-finger swipe to the left
//   0.000 down 1 0.62 0.50          finger 1 touches at x 0.62 (from the left), y 0.50 (from the
//   0.000 down 2 0.80 0.52          back of the mouse towards its front)
//   0.020..0.130 move 1 0.30 0.50   finger 1 slides to (0.30, 0.50) in that time
//   0.020..0.130 move 2 0.48 0.52
//   0.200 up 1                      lifts
//   0.200 up 2
//   0.500..0.600 pointer 12 0       the whole mouse moves 12 points right
//   0.700 press / 0.800 release     the physical button
//   0.300..0.400 wheel -3           native scroll-wheel clicks (hwheel for horizontal)
//   2.000 play tap.touch            another script, shifted to start at that time
class SessionScript {
 public:
  enum class Kind { down, move, up, pointer, press, release, wheel, hwheel };

  struct Command {
    Kind kind = Kind::down;
    double startSeconds = 0;
    double endSeconds = 0;  // equal to startSeconds for instant commands
    std::string finger;     // down, move, up
    double x = 0;           // down/move: position; pointer: dx; wheel/hwheel: clicks
    double y = 0;           // down/move: position; pointer: dy
    std::string file;       // where the command was written, for messages
    std::size_t line = 0;
  };

  // Returns the text of another script named by `play`, or nothing when it cannot be read.
  using Resolver = std::function<std::optional<std::string>(const std::string& name)>;

  // Commands come out sorted by start time (stable, so same-time commands keep script order).
  static Expected<SessionScript> parse(std::string_view text, const std::string& file,
                                       const Resolver& resolver = {});

  const std::vector<Command>& commands() const { return commands_; }
  void append(Command command) { commands_.push_back(std::move(command)); }
  void sortByTime();

 private:
  static std::optional<InputError> parseInto(std::string_view text, const std::string& file,
                                             const Resolver& resolver, double offsetSeconds,
                                             const std::string& fingerPrefix, int depth,
                                             std::vector<Command>& out);

  std::vector<Command> commands_;
};

}  // namespace tactora
