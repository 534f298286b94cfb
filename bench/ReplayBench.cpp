// Replay throughput: a ten-minute session of continuous gestures (every gesture family of the
// examples, one after another, over and over) replayed through the whole application on the
// simulated platform, reported in frames (device reports) per second of wall-clock time: in
// process, and as the whole `tactora replay --actions` command from its start to its exit (the
// program's start-up and the reading of the recording included).
//   build/<preset>/bench/ReplayBench
//   build/<preset>/bench/ReplayBench --write-session FILE   (the ten minutes as an evemu file, to
//                                                          time or profile the command by hand)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <benchmark/benchmark.h>

#include "Platform/evdev/EvemuReader.h"
#include "Tactora/config/FileIO.h"
#include "Tactora/replay/ReplayDriver.h"
// Where the sources and the built simulated provider are, shared with the replay tests.
#include "tests/support/SourceTree.h"
#include "tools/sessions/SessionScript.h"
#include "tools/sessions/SessionSynthesizer.h"

namespace {

constexpr double sessionSeconds = 600.0;
constexpr double pauseSeconds = 0.4;

std::string sessionsDir() {
  return tactora::testing::sourceDir() + "/examples/sessions/";
}

// Output that goes nowhere, so the measure is the replay and its formatting, not a terminal.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

struct LongSession {
  tactora::platform::EvemuRecording recording;
  std::size_t frames = 0;
  std::string text;  // the recording as an evemu file holds it
};

const LongSession& longSession() {
  static const LongSession session = [] {
    tactora::testing::locateSimProvider();
    // Every gesture session of the examples, back to back with just enough of a pause between
    // two (longer than the multi-tap window) that each is recognised on its own.
    const char* gestures[] = {"one-finger-tap",
                              "two-finger-tap",
                              "three-finger-tap",
                              "double-tap",
                              "triple-tap",
                              "right-side-tap",
                              "one-finger-swipe-left",
                              "one-finger-swipe-right",
                              "two-finger-swipe-left",
                              "two-finger-swipe-right",
                              "two-finger-swipe-up",
                              "two-finger-swipe-down",
                              "three-finger-swipe-left",
                              "three-finger-swipe-right",
                              "three-finger-swipe-up",
                              "three-finger-swipe-down",
                              "pinch",
                              "spread",
                              "tap-drag",
                              "drag-scroll",
                              "physical-click",
                              "native-scroll"};
    auto resolver = [](const std::string& name) {
      tactora::Expected<std::string> text = tactora::fileio::readWholeFile(sessionsDir() + name);
      return text ? std::optional<std::string>(std::move(text).value()) : std::nullopt;
    };
    std::string script;
    double start = 0;
    for (std::size_t i = 0; start < sessionSeconds; ++i) {
      const std::string name = std::string(gestures[i % std::size(gestures)]) + ".touch";
      const std::optional<std::string> text = resolver(name);
      if (!text) {
        std::fprintf(stderr, "ReplayBench: cannot read %s%s (is TACTORA_SOURCE_DIR right?)\n",
                     sessionsDir().c_str(), name.c_str());
        std::exit(2);
      }
      auto parsed = tactora::SessionScript::parse(*text, name, resolver);
      double length = 0;
      for (const auto& command : parsed->commands()) {
        length = std::max(length, command.endSeconds);
      }
      script += std::to_string(start) + " play " + name + "\n";
      start += length + pauseSeconds;
    }
    auto parsed = tactora::SessionScript::parse(script, "long-session", resolver);
    auto synthesizer = tactora::SessionSynthesizer::forRecordingFile(
        sessionsDir() + std::string(tactora::SessionSynthesizer::realDeviceRecording));
    auto rendered = synthesizer->render(*parsed, "ten minutes of gestures");
    auto read = tactora::platform::EvemuReader::read(*rendered);
    LongSession result{std::move(read).value(), 0, *rendered};
    for (const auto& event : result.recording.events) {
      result.frames += event.type == 0 && event.code == 0 ? 1 : 0;
    }
    return result;
  }();
  return session;
}

void replayLongSession(benchmark::State& state, bool actions) {
  const LongSession& session = longSession();
  NullBuffer nothing;
  std::ostream out(&nothing);
  std::ostringstream err;
  for (auto _ : state) {
    const int status = tactora::ReplayDriver::replay(session.recording, "long-session",
                                                     {std::nullopt, actions, actions}, out, err);
    if (status != 0) {
      state.SkipWithError(err.str().c_str());
      return;
    }
  }
  state.counters["frames"] = static_cast<double>(session.frames);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(session.frames),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ReplayTenMinutesWithActions(benchmark::State& state) {
  replayLongSession(state, true);
}
void BM_ReplayTenMinutesGesturesOnly(benchmark::State& state) {
  replayLongSession(state, false);
}

// The ten minutes with a pause of `state.range(0)` seconds after the report in their middle: the
// watchdogs of the idle stretch fire once each, so the pause costs next to nothing.
void BM_ReplayAcrossAPause(benchmark::State& state) {
  tactora::platform::EvemuRecording recording = longSession().recording;
  std::size_t middle = recording.events.size() / 2;
  while (middle < recording.events.size() &&
         !(recording.events[middle - 1].type == 0 && recording.events[middle - 1].code == 0)) {
    ++middle;
  }
  for (std::size_t i = middle; i < recording.events.size(); ++i) {
    recording.events[i].timeMicroseconds += state.range(0) * 1'000'000;
  }
  NullBuffer nothing;
  std::ostream out(&nothing);
  std::ostringstream err;
  for (auto _ : state) {
    if (tactora::ReplayDriver::replay(recording, "paused-session", {std::nullopt, true, true}, out,
                                      err) != 0) {
      state.SkipWithError(err.str().c_str());
      return;
    }
  }
}

// The whole command, as a user runs it: `tactora replay --actions` of the ten minutes written to a
// file, output to /dev/null, from the program's start to its exit.
void BM_ReplayCommandTenMinutesWithActions(benchmark::State& state) {
  const LongSession& session = longSession();
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() /
      ("tactora-replay-bench-" + std::to_string(getpid()) + ".evemu");
  std::ofstream(file, std::ios::binary) << session.text;
  const std::string program = TACTORA_PROGRAM_PATH;
  std::vector<std::string> arguments{program, "replay", "--actions", file.string()};
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0 ||
        waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError(("cannot run " + program).c_str());
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  std::filesystem::remove(file);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(session.frames),
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_ReplayCommandTenMinutesWithActions)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReplayAcrossAPause)
    ->Arg(0)
    ->Arg(10'000'000)
    ->Arg(9'200'000'000'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayTenMinutesWithActions)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplayTenMinutesGesturesOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-session") {
    std::ofstream file(argv[2], std::ios::binary);
    file << longSession().text;
    return file ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
