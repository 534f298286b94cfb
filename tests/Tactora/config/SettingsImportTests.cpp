#include <gtest/gtest.h>

#include "Tactora/config/ConfigStore.h"
#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/config/SettingsImport.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using testing::bind;
using testing::writeFile;

class SettingsImportTest : public ::testing::Test {
 protected:
  SettingsImportTest()
      : store_(temporary_.path() / "store"), import_(store_, [this] { ++selected_; }) {}

  std::filesystem::path exported(const Configuration& configuration) {
    const auto path = temporary_.path() / "Tactora Settings.json";
    EXPECT_EQ(ConfigurationDocument{configuration}.write(path), std::nullopt);
    return path;
  }

  testing::TemporaryDirectory temporary_;
  ConfigStore store_;
  int selected_ = 0;
  SettingsImport import_;
};

// The alert as the window lays it out: title, message, buttons.
std::string shown(const std::optional<SettingsImport::Alert>& alert) {
  return alert ? alert->title + "\n" + alert->message + "\n[" + alert->cancelButton + "] [" +
                     alert->confirmButton + "]"
               : "no alert";
}

// Only commands the configuration does not run anywhere yet need confirmation, each listed once;
// cancelling keeps the configuration (the window's tests follow the file through cancel and
// confirm).
TEST_F(SettingsImportTest, OnlyCommandsNotRunAnywhereYetNeedConfirmation) {
  Configuration current = defaultConfiguration();
  current.profiles.push_back(
      Profile{"app", {bind(GestureEvent::tap(4), Action::shellCommand("ls"))}});
  store_.save(current);
  Configuration known = defaultConfiguration();
  known.profiles[0].bindings.push_back(bind(GestureEvent::tap(5), Action::shellCommand("ls")));
  import_.importFile(exported(known));
  EXPECT_EQ(shown(import_.confirmationAlert()), "no alert");
  EXPECT_EQ(*store_.current(), known);
  EXPECT_EQ(selected_, 1);

  Configuration risky = known;
  const GestureBinding remove = bind(GestureEvent::tap(6), Action::shellCommand("rm -rf ~"));
  risky.profiles[0].bindings.push_back(remove);
  risky.profiles.push_back(
      Profile{"x", {remove, bind(GestureEvent::tap(7), Action::shellCommand("open ."))}});
  store_.save(current);
  import_.importFile(exported(risky));
  EXPECT_EQ(
      shown(import_.confirmationAlert()),
      "These settings run commands on your computer\n"
      "Importing adds gestures that run these shell commands:\n\nrm -rf ~\nopen .\n\nA shell "
      "command can do anything you can do on this computer. Only import settings from someone "
      "you trust.\n[Cancel] [Import Anyway]");
  import_.cancel();
  EXPECT_FALSE(import_.pendingImport());
  EXPECT_EQ(*store_.current(), current);
  EXPECT_EQ(selected_, 1);
}

// An unusable file ends in the error alert and changes nothing; an old one is stored as read and
// migrated on the next launch.
TEST_F(SettingsImportTest, UnusableFilesEndInTheErrorAlertAndOldOnesAreMigratedLater) {
  writeFile(temporary_.path() / "list.json", "[]");
  import_.importFile(temporary_.path() / "list.json");
  EXPECT_EQ(shown(import_.errorAlert()),
            "Couldn\u2019t import settings\nThe file \u201Clist.json\u201D isn\u2019t a Tactora "
            "settings file (expected an object, found an array).\n[OK] []");
  EXPECT_EQ(*store_.current(), defaultConfiguration());

  writeFile(temporary_.path() / "old.json", "{}");
  import_.importFile(temporary_.path() / "old.json");
  EXPECT_EQ(store_.current()->schemaVersion, 1);
  store_.flush();
  ConfigStore relaunched(store_.directoryURL());
  EXPECT_EQ(*relaunched.current(), defaultConfiguration());
}

}  // namespace
}  // namespace tactora
