#include <sys/resource.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <latch>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "Platform/Log.h"
#include "Tactora/config/ConfigStore.h"
#include "support/CapturingLogSink.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::HasSubstr;
using testing::readFile;
using ::testing::StartsWith;
using Line = platform::CapturingLogSink::Line;
using testing::writeFile;
namespace fs = std::filesystem;

// 2026-12-05T19:55:00Z
const auto fixedNow = std::chrono::system_clock::time_point(std::chrono::seconds(1796500500));

class ConfigStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { previousSink_ = platform::Log::setSink(log_); }
  void TearDown() override { platform::Log::setSink(previousSink_); }

  std::unique_ptr<ConfigStore> open() {
    return std::make_unique<ConfigStore>(
        dir(), [] { return fixedNow; },
        [this] { return "00000000-0000-4000-8000-00000000000" + std::to_string(++uuids_ % 10); });
  }
  fs::path dir() const { return temporary_.path() / "Tactora"; }
  fs::path file() const { return dir() / "config.json"; }
  void placeFile(const std::string& bytes) {
    fs::create_directories(dir());
    writeFile(file(), bytes);
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  testing::TemporaryDirectory temporary_;
  std::shared_ptr<platform::CapturingLogSink> log_ = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink_;
  int uuids_ = 0;
};

// Saving never waits for the disk: while one write is under way, every later save returns at
// once, and only the newest of them is written after it. Destroying the store waits for it.
// Meanwhile the gesture thread reads whole values, never one half saved.
// The threaded cases are named *Concurrency: the ThreadSanitizer run picks them by that name.
using ConfigStoreConcurrency = ConfigStoreTest;

TEST_F(ConfigStoreConcurrency, SavesDoNotWaitForTheDiskAndTheLastValueIsTheOneWritten) {
  std::latch writing{1};
  std::latch diskFree{1};
  std::vector<std::thread::id> writers;  // appended to by the writer alone
  auto store = std::make_unique<ConfigStore>(dir(), ConfigStore::WallClock{}, [&] {
    writers.push_back(std::this_thread::get_id());
    if (writers.size() == 1) {
      writing.count_down();
      diskFree.wait();  // a slow disk
    }
    return "00000000-0000-4000-8000-00000000000" + std::to_string(writers.size());
  });
  int notified = 0;
  const auto subscription = store->addObserver([&](const Configuration&) { ++notified; });
  std::atomic<bool> done{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!done.load()) {
      const auto snapshot = store->current();  // every saved value keeps these two in step
      torn += (snapshot->tuning.tapMaxTravelMM == 8.0f) != snapshot->enabled;
    }
  });
  Configuration value = defaultConfiguration();
  for (int step = 0; step <= 10; ++step) {
    value.tuning.pinchMinDeltaMM = static_cast<float>(step);
    value.enabled = step % 2 == 0;
    value.tuning.tapMaxTravelMM = value.enabled ? 8.0f : 4.0f;
    store->save(value);
    if (step == 0) {
      writing.wait();
    }
  }
  done = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_EQ(notified, 11);
  EXPECT_EQ(store->current()->tuning.pinchMinDeltaMM, 10.0f);
  diskFree.count_down();
  store.reset();
  EXPECT_EQ(testing::decoded(readFile(file())).tuning.pinchMinDeltaMM, 10.0f);
  ASSERT_EQ(writers.size(), 2u) << "the first value, then only the newest";
  EXPECT_NE(writers[0], std::this_thread::get_id());
  EXPECT_EQ(entries(), std::vector<std::string>{"config.json"});
}

// An observer is called after every save in registration order, also when writing failed, for as
// long as its subscription lives; one removed during a save (its window closed) is not called.
TEST_F(ConfigStoreTest, ObserversRunInOrderUntilTheirSubscriptionEndsEvenWhenWritingFails) {
  auto store = open();
  std::vector<std::string> calls;
  ConfigStore::Subscription second;
  ConfigStore::Subscription first = store->addObserver([&](const Configuration& value) {
    calls.push_back("first " + std::to_string(value.enabled));
    if (!value.enabled) {
      second.reset();
    }
  });
  second = store->addObserver([&](const Configuration& value) {
    calls.push_back("second " + std::to_string(value.enabled));
  });

  // config.json became a directory after launch: the temporary file is complete but cannot take
  // its place.
  fs::create_directories(file());
  store->save(defaultConfiguration());
  store->flush();
  EXPECT_EQ(readFile(dir() / ".config.json.tmp-00000000-0000-4000-8000-000000000001"),
            encodeConfiguration(defaultConfiguration()));
  Configuration disabled = defaultConfiguration();
  disabled.enabled = false;
  store->save(disabled);
  store->flush();
  EXPECT_EQ(*store->current(), disabled);
  EXPECT_EQ(calls, (std::vector<std::string>{"first 1", "second 1", "first 0"}));
  EXPECT_THAT(log_->messages(), Contains(StartsWith("failed to save config: cannot replace ")));

  // A subscription may outlive its store.
  store.reset();
  first.reset();
}

// While it lives, this process cannot write files larger than `bytes`: a disk full for the
// backup of a large file but not for a small configuration.
struct FullDisk {
  explicit FullDisk(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    const rlimit limit{bytes, previous.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FullDisk() { setrlimit(RLIMIT_FSIZE, &previous); }
  rlimit previous{};
};

// A rejected or older file is copied aside byte for byte before it is replaced; while the copy
// cannot be written, the file stays and the store runs on the value in memory. Two rejected
// files in one second keep both copies; a version's first backup is never replaced.
TEST_F(ConfigStoreTest, ARejectedOrOlderFileIsReplacedOnlyOnceItsBackupIsOnTheDisk) {
  const std::size_t smallEnough = encodeConfiguration(defaultConfiguration()).size() + 1024;
  const std::string padding(smallEnough + 4096, ' ');
  using enum platform::LogLevel;
  const struct {
    std::string bytes;
    Line line;
    std::string backup;
    Configuration loaded;
  } cases[] = {
      {"not json\n\x01\xff" + padding,
       {"ConfigStore", error,
        "config corrupt, resetting to defaults: parse error at line 1, column 2: syntax error "
        "while parsing value - invalid literal; last read: 'no'"},
       "config.json.corrupt-2026-12-05T19-55-00Z",
       defaultConfiguration()},
      {R"({"schemaVersion": 12, "enabled": false})" + padding,
       {"ConfigStore", error,
        "config schemaVersion 12 is newer than this build supports, resetting to defaults"},
       "config.json.corrupt-2026-12-05T19-55-00Z-2",
       defaultConfiguration()},
      {R"({"schemaVersion": 4, "enabled": false})" + padding,
       {"ConfigStore", notice, "migrating config from schemaVersion 4 to 9"},
       "config.json.v4-backup",
       testing::decoded(R"({"schemaVersion": 4, "enabled": false})").migrated()},
  };
  const std::string cannotBackUp =
      "failed to save config: could not back up " + file().string() + " (cannot write ";
  for (const auto& each : cases) {
    placeFile(each.bytes);
    log_->clear();
    std::unique_ptr<ConfigStore> store;
    {
      FullDisk full(smallEnough);
      store = open();
      store->flush();
    }
    EXPECT_EQ(readFile(file()), each.bytes) << "replaced without a backup";
    EXPECT_FALSE(fs::exists(dir() / each.backup));
    EXPECT_EQ(*store->current(), each.loaded);
    EXPECT_THAT(log_->lines(),
                ElementsAre(each.line, Field(&Line::message, AllOf(StartsWith(cannotBackUp),
                                                                   HasSubstr("File too large")))));

    // With room on the disk again, the next save makes the copy, then replaces the file.
    store->save(*store->current());
    store->flush();
    EXPECT_EQ(readFile(dir() / each.backup), each.bytes);
    EXPECT_EQ(readFile(file()), encodeConfiguration(each.loaded));
  }
  placeFile(R"({"schemaVersion": 4})");
  EXPECT_EQ(open()->current()->schemaVersion, 9);  // written as the store goes
  EXPECT_EQ(readFile(dir() / "config.json.v4-backup"), cases[2].bytes);
  EXPECT_EQ(entries(), (std::vector<std::string>{"config.json", cases[0].backup, cases[1].backup,
                                                 cases[2].backup}));
}

// A config.json the user made is respected: one of the current version is read as written and
// left alone; a FIFO (not read: opening it would wait for a writer) is never saved over; a symbolic
// link is written through to its target, which keeps its permissions. (That nothing is written
// before the first save, and the file a save writes, the settings window's tests follow.)
TEST_F(ConfigStoreTest, TheUsersOwnFileIsKeptAsItIsAndALinkIsWrittenThrough) {
  Configuration custom = defaultConfiguration();
  custom.profiles.push_back(Profile{"com.example.App", {}});
  const std::string handWritten = nlohmann::json::parse(encodeConfiguration(custom)).dump(7);
  placeFile(handWritten);
  EXPECT_EQ(*open()->current(), custom);
  EXPECT_EQ(readFile(file()), handWritten);
  EXPECT_TRUE(log_->lines().empty());

  fs::remove(file());
  ASSERT_EQ(mkfifo(file().c_str(), 0600), 0);
  auto store = open();
  EXPECT_EQ(*store->current(), defaultConfiguration());
  store->save(defaultConfiguration());
  store.reset();
  EXPECT_TRUE(fs::is_fifo(file()));
  EXPECT_THAT(
      log_->messages(),
      ElementsAre("cannot read " + file().string() +
                      " (is not a regular file); running on the defaults and keeping the "
                      "file as it is",
                  StartsWith("failed to save config: " + file().string() + " could not be read")));

  const fs::path elsewhere = temporary_.path() / "dotfiles" / "tactora.json";
  fs::create_directories(elsewhere.parent_path());
  writeFile(elsewhere, encodeConfiguration(defaultConfiguration()));
  fs::permissions(elsewhere, fs::perms::owner_read | fs::perms::owner_write);
  fs::remove(file());
  fs::create_symlink("../dotfiles/tactora.json", file());
  Configuration disabled = defaultConfiguration();
  disabled.enabled = false;
  open()->save(disabled);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(file())));
  EXPECT_EQ(readFile(elsewhere), encodeConfiguration(disabled));
  EXPECT_EQ(fs::status(elsewhere).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere.parent_path()), {}), 1);
  EXPECT_EQ(entries(), std::vector<std::string>{"config.json"});
}

}  // namespace
}  // namespace tactora
