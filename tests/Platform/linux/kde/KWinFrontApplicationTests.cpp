// The front application as KWin reports it, against a fake KWin on the test's private session bus
// that loads the script, starts it and then calls back the way the script would.

#include "Platform/linux/kde/KWinFrontApplication.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "Platform/Log.h"
#include "Platform/linux/kde/KdeDesktop.h"
#include "support/CapturingLogSink.h"
#include "tests/Platform/linux/kde/FakeSessionService.h"
#include "tests/Platform/linux/x11/TemporaryDirectory.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using test::FakeSessionService;

bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// KWin's scripting service. loadScript reads the script's file to learn whom it reports to and
// answers `scriptId`; the script's run() (served at `runPath`) then reports the active window,
// and `activate` reports later ones, as the running script would.
class FakeKWin {
 public:
  FakeKWin(std::int32_t scriptId, std::string runPath)
      : service_(KWinFrontApplication::kwinService) {
    service_.handle("/Scripting", [this, scriptId](sd_bus_message* call,
                                                   const FakeSessionService::Call& recorded) {
      if (recorded.member == "loadScript" && recorded.arguments.size() == 2) {
        std::ifstream file(recorded.arguments[0]);
        std::stringstream text;
        text << file.rdbuf();
        std::smatch match;
        const std::string script = text.str();
        if (std::regex_search(script, match, std::regex(R"re(callDBus\("([^"]+)")re"))) {
          const std::scoped_lock lock(mutex_);
          reportTo_ = match[1];
        }
        return sd_bus_reply_method_return(call, "i", scriptId);
      }
      return sd_bus_reply_method_return(call, "b", recorded.member == "unloadScript");
    });
    service_.handle(runPath, [this](sd_bus_message* call, const FakeSessionService::Call&) {
      report(sd_bus_message_get_bus(call), {"org.kde.dolphin", "dolphin"});
      return sd_bus_reply_method_return(call, "");
    });
    service_.start();
  }

  bool ready() const { return service_.ready(); }
  const FakeSessionService& service() const { return service_; }
  std::string reportTo() const {
    const std::scoped_lock lock(mutex_);
    return reportTo_;
  }
  void activate(std::string desktopFileName, std::string resourceClass) {
    service_.post([this, window = std::pair(std::move(desktopFileName), std::move(resourceClass))](
                      sd_bus* bus) { report(bus, window); });
  }

 private:
  void report(sd_bus* bus, const std::pair<std::string, std::string>& window) {
    sd_bus_call_method_async(bus, nullptr, reportTo().c_str(), KWinFrontApplication::objectPath,
                             KWinFrontApplication::interfaceName, "Activated", nullptr, nullptr,
                             "ss", window.first.c_str(), window.second.c_str());
  }

  mutable std::mutex mutex_;
  std::string reportTo_;
  FakeSessionService service_;
};

class KWinFrontApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousSink_ = platform::Log::setSink(log_);
    folder_.write("data/applications/firefox.desktop",
                  "[Desktop Entry]\nType=Application\nName=Firefox\nStartupWMClass=Firefox\n");
    index_ = std::make_shared<ApplicationIndex>(
        ApplicationIndex::scan({(folder_.path() / "data").string()}));
  }
  void TearDown() override { platform::Log::setSink(previousSink_); }

  std::unique_ptr<KWinFrontApplication> start() {
    return std::make_unique<KWinFrontApplication>(index_, folder_.path().string(), 1s);
  }

  test::TemporaryDirectory folder_;
  std::shared_ptr<const ApplicationIndex> index_;
  std::shared_ptr<platform::CapturingLogSink> log_ = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink_;
};

TEST_F(KWinFrontApplicationTest, LoadsTheScriptFollowsActivationsAndUnloadsAtExit) {
  FakeKWin kwin(7, "/Scripting/Script7");
  ASSERT_TRUE(kwin.ready());
  std::string scriptPath;
  {
    auto front = start();
    ASSERT_TRUE(eventually([&] { return front->activationsReceived() == 1; }));
    EXPECT_TRUE(front->isScriptRunning());
    EXPECT_EQ(front->frontApplication(), "org.kde.dolphin") << "the active window at load";

    const auto loads = kwin.service().calls("loadScript");
    ASSERT_EQ(loads.size(), 1u);
    scriptPath = loads[0].arguments[0];
    EXPECT_EQ(loads[0].arguments[1], KWinFrontApplication::pluginName);
    EXPECT_TRUE(std::filesystem::exists(scriptPath));
    // A stale script of a previous run is unloaded before ours is loaded.
    const auto calls = kwin.service().calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], (FakeSessionService::Call{
                            "/Scripting", "unloadScript", {KWinFrontApplication::pluginName}}));

    // No desktop file name: the class is matched against the installed applications.
    kwin.activate("", "firefox");
    ASSERT_TRUE(eventually([&] { return front->activationsReceived() == 2; }));
    EXPECT_EQ(front->frontApplication(), "firefox");
    // A whole file name is reduced to its id.
    kwin.activate("/usr/share/applications/org.kde.kate.desktop", "kate");
    ASSERT_TRUE(eventually([&] { return front->activationsReceived() == 3; }));
    EXPECT_EQ(front->frontApplication(), "org.kde.kate");
    // No active window.
    kwin.activate("", "");
    ASSERT_TRUE(eventually([&] { return front->activationsReceived() == 4; }));
    EXPECT_EQ(front->frontApplication(), std::nullopt);
  }
  const auto unloads = kwin.service().calls("unloadScript");
  ASSERT_EQ(unloads.size(), 2u) << "the stale one, and ours at exit";
  EXPECT_FALSE(std::filesystem::exists(scriptPath)) << "the script's file is removed";
  EXPECT_TRUE(log_->lines().empty());
}

// The new KWin is a Plasma 5 one, which serves loaded scripts at the root.
TEST_F(KWinFrontApplicationTest, FollowsKWinWhenItIsReplaced) {
  auto kwin = std::make_unique<FakeKWin>(1, "/Scripting/Script1");
  ASSERT_TRUE(kwin->ready());
  auto front = start();
  ASSERT_TRUE(eventually([&] { return front->frontApplication() == "org.kde.dolphin"; }));

  kwin.reset();
  ASSERT_TRUE(eventually([&] { return !front->isScriptRunning(); }));
  EXPECT_EQ(front->frontApplication(), std::nullopt) << "the old KWin's report is stale";

  kwin = std::make_unique<FakeKWin>(2, "/2");
  ASSERT_TRUE(eventually([&] { return front->frontApplication() == "org.kde.dolphin"; }));
  EXPECT_TRUE(front->isScriptRunning());
  const auto runs = kwin->service().calls("run");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].path, "/2");
}

TEST_F(KWinFrontApplicationTest, AScriptKWinRefusesIsLoggedAndNothingIsKnown) {
  FakeKWin kwin(-1, "/Scripting/Script-1");
  ASSERT_TRUE(kwin.ready());
  auto front = start();
  ASSERT_TRUE(eventually([&] { return !log_->lines().empty(); }));
  EXPECT_NE(log_->lines()[0].message.find("did not load"), std::string::npos);
  EXPECT_FALSE(front->isScriptRunning());
  EXPECT_EQ(front->frontApplication(), std::nullopt);
}

TEST_F(KWinFrontApplicationTest, TheKdeDesktopOffersItWhileKWinRuns) {
  FakeKWin kwin(5, "/Scripting/Script5");
  ASSERT_TRUE(kwin.ready());
  auto functions = KdeDesktop::functions(index_);
  ASSERT_TRUE(functions.frontApplication);
  EXPECT_FALSE(functions.dockNotification) << "no kglobalaccel on this bus";
  ASSERT_TRUE(eventually([&] { return functions.frontApplication() == "org.kde.dolphin"; }));
}

}  // namespace
}  // namespace tactora::lx
