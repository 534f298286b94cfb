#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace tactora {

// The lines a replay or monitor prints, in order, each with the virtual time in front when asked
// for. Lines are gathered and written in large pieces (a long replay prints millions of them),
// or one by one for a live session, where each must show as it happens.
class ReplayOutput {
 public:
  using Clock = std::function<double()>;  // seconds since the session's first event

  ReplayOutput(std::ostream& out, bool withTime, Clock clock, bool flushEachLine = false);
  ~ReplayOutput();
  ReplayOutput(const ReplayOutput&) = delete;
  ReplayOutput& operator=(const ReplayOutput&) = delete;

  void line(std::string_view text);
  void flush();

 private:
  std::ostream& out_;
  bool withTime_;
  Clock clock_;
  bool flushEachLine_;
  std::string buffer_;
};

}  // namespace tactora
