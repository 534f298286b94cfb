#include "Tactora/replay/ReplayDriver.h"

#include <memory>
#include <ostream>

#include "Platform/evdev/EvemuReader.h"
#include "Tactora/replay/ReplaySession.h"

namespace tactora {

int ReplayDriver::run(const std::string& recordingPath, const Options& options, std::ostream& out,
                      std::ostream& err) {
  const platform::EvemuReader::Result read = platform::EvemuReader::readFile(recordingPath);
  if (!read) {
    err << "tactora: " << read.error().description() << '\n';
    return unreadableInput;
  }
  return replay(*read, recordingPath, options, out, err);
}

int ReplayDriver::replay(const platform::EvemuRecording& recording, const std::string& name,
                         const Options& options, std::ostream& out, std::ostream& err) {
  auto started = ReplaySession::start(recording, name, options, out, err);
  if (!started) {
    err << "tactora: " << started.error().description() << '\n';
    return ReplaySession::exitStatus(started.error());
  }
  ReplaySession& session = **started;
  for (const platform::EvemuRecording::Event& event : recording.events) {
    session.feed(event);
  }
  session.finish();
  return succeeded;
}

}  // namespace tactora
