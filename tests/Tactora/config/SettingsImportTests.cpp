#include <gtest/gtest.h>

#include "Tactora/config/ConfigStore.h"
#include "Tactora/config/ConfigurationDocument.h"
#include "Tactora/config/SettingsImport.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using testing::bind;
using testing::readFile;
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

TEST_F(SettingsImportTest, OnlyCommandsNotRunAnywhereYetNeedConfirmation) {
  Configuration current = defaultConfiguration();
  current.profiles.push_back(
      Profile{"app", {bind(GestureEvent::tap(4), Action::shellCommand("ls"))}});
  store_.save(current);

  // "ls" already runs in another profile: no question asked.
  Configuration known = defaultConfiguration();
  known.profiles[0].bindings.push_back(bind(GestureEvent::tap(5), Action::shellCommand("ls")));
  const auto path = exported(known);
  EXPECT_EQ(readFile(path), encodeConfiguration(known));  // the file form of config.json
  import_.importFile(path);
  EXPECT_FALSE(import_.pendingImport());
  EXPECT_EQ(*store_.current(), known);
  EXPECT_EQ(selected_, 1);

  Configuration risky = known;
  risky.profiles[0].bindings.push_back(
      bind(GestureEvent::tap(6), Action::shellCommand("rm -rf ~")));
  risky.profiles.push_back(Profile{"x",
                                   {bind(GestureEvent::tap(6), Action::shellCommand("rm -rf ~")),
                                    bind(GestureEvent::tap(7), Action::shellCommand("open ."))}});
  store_.save(current);
  store_.flush();
  const std::string before = readFile(store_.fileURL());
  import_.importFile(exported(risky));
  ASSERT_TRUE(import_.pendingImport());
  const auto alert = import_.confirmationAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title, "These settings run commands on your computer");
  EXPECT_EQ(
      alert->message,
      "Importing adds gestures that run these shell commands:\n\nrm -rf ~\nopen .\n\nA shell "
      "command can do anything you can do on this computer. Only import settings from someone you "
      "trust.");
  EXPECT_EQ(alert->confirmButton, "Import Anyway");
  EXPECT_EQ(alert->cancelButton, "Cancel");

  // Cancelling keeps the configuration and its file byte for byte.
  import_.cancel();
  EXPECT_FALSE(import_.pendingImport());
  EXPECT_EQ(*store_.current(), current);
  store_.flush();
  EXPECT_EQ(readFile(store_.fileURL()), before);

  import_.importFile(exported(risky));
  import_.confirm();
  EXPECT_FALSE(import_.pendingImport());
  EXPECT_EQ(*store_.current(), risky);
  EXPECT_EQ(selected_, 2);
}

TEST_F(SettingsImportTest, UnusableFilesEndInTheErrorAlert) {
  const auto path = temporary_.path() / "list.json";
  writeFile(path, "[]");
  import_.importFile(path);
  auto alert = import_.errorAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(alert->title, "Couldn\u2019t import settings");
  EXPECT_EQ(
      alert->message,
      "The file \u201Clist.json\u201D isn\u2019t a Tactora settings file (expected an object, "
      "found an array).");
  import_.dismissError();
  EXPECT_FALSE(import_.errorAlert());
  EXPECT_EQ(*store_.current(), defaultConfiguration());
}

TEST_F(SettingsImportTest, AnOldFileIsStoredAsReadAndMigratedOnTheNextLaunch) {
  const auto path = temporary_.path() / "old.json";
  writeFile(path, "{}");
  import_.importFile(path);
  EXPECT_EQ(store_.current()->schemaVersion, 1);
  EXPECT_EQ(store_.current()->profiles, std::vector<Profile>{Profile{}});
  store_.flush();
  ConfigStore relaunched(store_.directoryURL());
  EXPECT_EQ(relaunched.current()->schemaVersion, 9);
  EXPECT_EQ(relaunched.current()->allAppsProfile()->bindings, defaultBindings());
}

}  // namespace
}  // namespace tactora
