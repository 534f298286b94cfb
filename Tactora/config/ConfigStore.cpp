#include "Tactora/config/ConfigStore.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <random>
#include <system_error>
#include <utility>

#include "Platform/AtomicFile.h"
#include "Platform/Logger.h"
#include "Tactora/config/FileIO.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"ConfigStore"};

constexpr const char* fileName = "config.json";
constexpr const char* temporaryPrefix = ".config.json.tmp-";
constexpr const char* corruptPrefix = "config.json.corrupt-";
constexpr int maxBackupsPerSecond = 100;

std::string randomUUID() {
  std::random_device device;
  std::uniform_int_distribution<unsigned> nibble(0, 15);
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text;
  for (int index = 0; index < 32; ++index) {
    unsigned value = nibble(device);
    if (index == 12) {
      value = 4;  // version 4: random
    } else if (index == 16) {
      value = 8 | (value & 3);  // RFC 4122 variant
    }
    if (index == 8 || index == 12 || index == 16 || index == 20) {
      text += '-';
    }
    text += digits[value];
  }
  return text;
}

// "2026-12-05T19-55-00Z": an ISO 8601 UTC time with the colons replaced, so it can be part of a
// file name everywhere.
std::string backupTimestamp(std::chrono::system_clock::time_point now) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char buffer[64];
  const auto length = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H-%M-%SZ", &utc);
  return std::string(buffer, length);
}

}  // namespace

struct ConfigStore::Subscription::Observers {
  std::vector<std::pair<std::uint64_t, Observer>> entries;
  std::uint64_t nextID = 1;
};

ConfigStore::Subscription::Subscription(Subscription&& other) noexcept
    : observers_(std::move(other.observers_)), id_(std::exchange(other.id_, 0)) {}

ConfigStore::Subscription& ConfigStore::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    reset();
    observers_ = std::move(other.observers_);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void ConfigStore::Subscription::reset() {
  if (auto observers = observers_.lock()) {
    std::erase_if(observers->entries, [this](const auto& entry) { return entry.first == id_; });
  }
  observers_.reset();
  id_ = 0;
}

std::filesystem::path ConfigStore::defaultDirectory() {
  return defaultDirectory([](const char* name) -> std::optional<std::string> {
    if (const char* value = std::getenv(name)) {
      return std::string(value);
    }
    return std::nullopt;
  });
}

std::filesystem::path ConfigStore::defaultDirectory(
    const std::function<std::optional<std::string>(const char*)>& environment) {
  // The XDG rule: a relative XDG_CONFIG_HOME is invalid and ignored.
  if (auto configHome = environment("XDG_CONFIG_HOME");
      configHome && !configHome->empty() && std::filesystem::path(*configHome).is_absolute()) {
    return std::filesystem::path(*configHome) / "Tactora";
  }
  auto home = environment("HOME");
  std::filesystem::path base =
      home && !home->empty() ? std::filesystem::path(*home) : std::filesystem::path("/");
  return base / ".config" / "Tactora";
}

ConfigStore::ConfigStore(std::optional<std::filesystem::path> directory, WallClock wallClock,
                         UUIDSource uuidSource)
    : directoryURL_(directory ? std::move(*directory) : defaultDirectory()),
      fileURL_(directoryURL_ / fileName),
      wallClock_(wallClock ? std::move(wallClock)
                           : [] { return std::chrono::system_clock::now(); }),
      uuidSource_(uuidSource ? std::move(uuidSource) : randomUUID),
      observers_(std::make_shared<Subscription::Observers>()),
      current_(std::make_shared<const Configuration>(defaultConfiguration())) {
  Loaded loaded = load();
  publish(loaded.configuration);
  if (loaded.needsWrite) {
    save(loaded.configuration);
  }
}

ConfigStore::~ConfigStore() {
  writer_.flush();
}

std::shared_ptr<const Configuration> ConfigStore::current() const {
  std::lock_guard lock(currentMutex_);
  return current_;
}

void ConfigStore::publish(Configuration configuration) {
  auto snapshot = std::make_shared<const Configuration>(std::move(configuration));
  std::shared_ptr<const Configuration> previous;
  {
    std::lock_guard lock(currentMutex_);
    previous = std::exchange(current_, std::move(snapshot));
  }
  // `previous` may be the last reference; it is released here, outside the lock.
}

ConfigStore::Subscription ConfigStore::addObserver(Observer observer) {
  const std::uint64_t id = observers_->nextID++;
  observers_->entries.emplace_back(id, std::move(observer));
  return Subscription(observers_, id);
}

void ConfigStore::save(const Configuration& configuration) {
  publish(configuration);
  writer_.submit([this, snapshot = current()] {
    if (auto error = write(*snapshot)) {
      logger.error("failed to save config: %{public}s", {*error});
    }
  });
  // Observers may add observers, remove others (a window closing) or save again: those registered
  // now are called unless removed before their turn.
  std::vector<std::uint64_t> ids;
  ids.reserve(observers_->entries.size());
  for (const auto& entry : observers_->entries) {
    ids.push_back(entry.first);
  }
  for (const std::uint64_t id : ids) {
    const auto& entries = observers_->entries;
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [id](const auto& entry) { return entry.first == id; });
    if (found != entries.end()) {
      Observer observer = found->second;
      observer(configuration);
    }
  }
}

std::optional<std::string> ConfigStore::write(const Configuration& configuration) {
  if (keptUnread_) {
    return fileURL_.string() + " could not be read (" + *keptUnread_ +
           "); it is kept as it is and the configuration stays in memory";
  }
  std::error_code error;
  std::filesystem::create_directories(directoryURL_, error);
  if (error) {
    return "could not create " + directoryURL_.string() + ": " + error.message();
  }
  if (!std::filesystem::is_directory(directoryURL_, error)) {
    return "could not create " + directoryURL_.string() + ": not a directory";
  }
  // The file that is about to be replaced is copied aside first; without that copy it stays.
  if (pendingBackup_) {
    if (auto failure = backUp(*pendingBackup_)) {
      return "could not back up " + fileURL_.string() + " (" + *failure + "); it is kept as it " +
             "is and the configuration stays in memory";
    }
    pendingBackup_.reset();
  }
  platform::AtomicFile::Options options;
  options.temporaryName = temporaryPrefix + uuidSource_();
  options.keepUnplacedTemporary = true;
  if (auto failure =
          platform::AtomicFile::write(fileURL_, encodeConfiguration(configuration), options)) {
    return failure;
  }
  return std::nullopt;
}

ConfigStore::Loaded ConfigStore::load() {
  auto read = fileio::readWholeFile(fileURL_);
  if (!read) {
    std::error_code ignored;
    if (std::filesystem::status(fileURL_, ignored).type() ==
        std::filesystem::file_type::not_found) {
      return {defaultConfiguration(), false};
    }
    // Something is there that cannot be read now (permissions, a disk error): the defaults run
    // in memory and nothing is saved over it, so it is still there when it can be read again.
    keptUnread_ = read.error().message;
    logger.error(
        "cannot read %{public}s (%{public}s); running on the defaults and keeping the "
        "file as it is",
        {fileURL_.string(), read.error().message});
    return {defaultConfiguration(), false};
  }
  auto decoded = decodeConfigurationText(*read);
  if (!decoded) {
    logger.error("config corrupt, resetting to defaults: %{public}s",
                 {decoded.error().description()});
    pendingBackup_ = PendingBackup{std::move(*read), std::nullopt};
    return {defaultConfiguration(), true};
  }
  const std::int64_t version = decoded->schemaVersion;
  if (version == Configuration::currentSchemaVersion) {
    return {std::move(decoded).value(), false};
  }
  if (version > Configuration::currentSchemaVersion) {
    logger.error(
        "config schemaVersion %{public}ld is newer than this build supports, resetting to defaults",
        {version});
    pendingBackup_ = PendingBackup{std::move(*read), std::nullopt};
    return {defaultConfiguration(), true};
  }
  logger.notice("migrating config from schemaVersion %{public}ld to %{public}ld",
                {version, Configuration::currentSchemaVersion});
  pendingBackup_ = PendingBackup{std::move(*read), version};
  return {decoded->migrated(), true};
}

std::optional<std::string> ConfigStore::backUp(const PendingBackup& backup) {
  return backup.migratedFromVersion ? backUpVersion(backup.bytes, *backup.migratedFromVersion)
                                    : backUpCorrupt(backup.bytes);
}

// The backups are written from the bytes that were read and rejected, and never replace an
// existing file: an earlier backup is worth more than a later one.
std::optional<std::string> ConfigStore::backUpCorrupt(const std::string& bytes) {
  // Two rejected files within one second would share the timestamp; the later ones get "-2",
  // "-3", ... so that each is kept.
  const auto name = corruptPrefix + backupTimestamp(wallClock_());
  for (int attempt = 1; attempt <= maxBackupsPerSecond; ++attempt) {
    const auto path = directoryURL_ / (attempt == 1 ? name : name + "-" + std::to_string(attempt));
    std::error_code ignored;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
      return platform::AtomicFile::create(path, bytes);
    }
  }
  return "every backup name for this second is taken";
}

std::optional<std::string> ConfigStore::backUpVersion(const std::string& bytes,
                                                      std::int64_t version) {
  // One backup per old version: the first one made is the one kept.
  const auto path =
      directoryURL_ / (std::string(fileName) + ".v" + std::to_string(version) + "-backup");
  std::error_code ignored;
  if (std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
    return std::nullopt;
  }
  return platform::AtomicFile::create(path, bytes);
}

}  // namespace tactora
