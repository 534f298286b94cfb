// The KWin script itself, run by Node.js against stand-ins for KWin's `workspace` object of
// Plasma 6 and of Plasma 5 and a `callDBus` that records what the script sends.

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "Platform/linux/kde/KWinFrontApplication.h"
#include "tests/Platform/linux/x11/TemporaryDirectory.h"

namespace tactora::lx {
namespace {

constexpr const char* harness = R"js(
const script = require("fs").readFileSync(process.argv[2], "utf8");
function signal() {
  const handlers = [];
  return {connect(f) { handlers.push(f); }, emit(w) { handlers.forEach((h) => h(w)); }};
}
function run(workspace) {
  const calls = [];
  new Function("workspace", "callDBus", script)(workspace, (...args) => calls.push(args));
  return calls;
}
const activated6 = signal();
const plasma6 = run({windowActivated: activated6,
                     activeWindow: {desktopFileName: "org.kde.dolphin", resourceClass: "dolphin"}});
activated6.emit({desktopFileName: "", resourceClass: "firefox"});
activated6.emit(null);
// Plasma 5: clients, not windows, and the class as bytes.
const activated5 = signal();
const plasma5 = run({clientActivated: activated5, activeClient: null});
activated5.emit({desktopFileName: "org.kde.kate", resourceClass: new TextEncoder().encode("kate").buffer});
console.log(JSON.stringify({plasma6, plasma5}));
)js";

std::string runNode(const std::string& arguments) {
  FILE* pipe = ::popen(("node " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    return {};
  }
  std::string output;
  char buffer[4096];
  while (const auto count = std::fread(buffer, 1, sizeof buffer, pipe)) {
    output.append(buffer, count);
  }
  return ::pclose(pipe) == 0 ? output : "failed: " + output;
}

TEST(KWinScript, ReportsTheActiveWindowAndEveryActivationOnPlasma6And5) {
  if (std::system("command -v node > /dev/null") != 0) {
    GTEST_SKIP() << "Node.js is not installed";
  }
  test::TemporaryDirectory folder;
  folder.write("script.js", KWinFrontApplication::script(":1.42"));
  folder.write("harness.js", harness);
  const auto output = runNode((folder.path() / "harness.js").string() + " " +
                              (folder.path() / "script.js").string());
  const auto calls = nlohmann::json::parse(output, nullptr, false);
  ASSERT_FALSE(calls.is_discarded()) << output;

  const auto report = [](const char* desktopFileName, const char* resourceClass) {
    return nlohmann::json::array({":1.42", KWinFrontApplication::objectPath,
                                  KWinFrontApplication::interfaceName, "Activated", desktopFileName,
                                  resourceClass});
  };
  EXPECT_EQ(calls["plasma6"], nlohmann::json::array({report("org.kde.dolphin", "dolphin"),
                                                     report("", "firefox"), report("", "")}));
  EXPECT_EQ(calls["plasma5"],
            nlohmann::json::array({report("", ""), report("org.kde.kate", "kate")}));
}

}  // namespace
}  // namespace tactora::lx
