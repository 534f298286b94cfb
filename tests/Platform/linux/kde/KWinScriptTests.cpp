// The KWin script on Plasma 6's scripting API (windows, not clients; the class as a string), which
// no KWin here provides: Node.js runs it against a stand-in `workspace` and a `callDBus` that
// records what the script sends. Plasma 5's API is covered by the real KWin.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "Platform/AtomicFile.h"
#include "Platform/linux/kde/KWinFrontApplication.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "tests/support/desktop/ChildProcess.h"

namespace tactora::lx {
namespace {

constexpr const char* harness = R"js(
const script = require("fs").readFileSync(process.argv[2], "utf8");
const handlers = [];
const calls = [];
const workspace = {windowActivated: {connect(f) { handlers.push(f); }},
                   activeWindow: {desktopFileName: "org.kde.dolphin", resourceName: "dolphin",
                                  resourceClass: "dolphin"}};
new Function("workspace", "callDBus", script)(workspace, (...args) => calls.push(args.slice(4)));
handlers.forEach((h) => h({desktopFileName: "", resourceName: "navigator", resourceClass: "firefox"}));
handlers.forEach((h) => h(null));
console.log(JSON.stringify(calls));
)js";

TEST(KWinScript, ReportsTheActiveWindowAndEveryActivationOnPlasma6) {
  if (std::system("command -v node > /dev/null") != 0) {
    GTEST_SKIP() << "Node.js is not installed";
  }
  TemporaryDirectory folder;
  platform::AtomicFile::write(folder.path() / "script.js", KWinFrontApplication::script(":1.42"));
  platform::AtomicFile::write(folder.path() / "harness.js", harness);
  const std::string output = testing::runProcess({"node", (folder.path() / "harness.js").string(),
                                                  (folder.path() / "script.js").string()},
                                                 {})
                                 .output;
  EXPECT_EQ(nlohmann::json::parse(output, nullptr, false),
            nlohmann::json::parse(R"([["org.kde.dolphin", "dolphin", "dolphin"],
                                      ["", "navigator", "firefox"], ["", "", ""]])"))
      << output;
}

}  // namespace
}  // namespace tactora::lx
