#include "Tactora/config/ConfigStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <system_error>
#include <utility>

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
      current_(std::make_shared<const Configuration>(defaultConfiguration())) {
  Loaded loaded = load();
  publish(loaded.configuration);
  if (loaded.needsWrite) {
    save(loaded.configuration);
  }
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

void ConfigStore::addObserver(Observer observer) {
  observers_.push_back(std::move(observer));
}

void ConfigStore::save(const Configuration& configuration) {
  publish(configuration);
  if (auto error = write(configuration)) {
    logger.error("failed to save config: %{public}s", {*error});
  }
  // Observers may register more observers or save again; iterate by index over a stable count.
  const std::size_t count = observers_.size();
  for (std::size_t index = 0; index < count; ++index) {
    Observer observer = observers_[index];
    observer(configuration);
  }
}

std::optional<std::string> ConfigStore::write(const Configuration& configuration) {
  std::error_code error;
  std::filesystem::create_directories(directoryURL_, error);
  if (error) {
    return "could not create " + directoryURL_.string() + ": " + error.message();
  }
  if (!std::filesystem::is_directory(directoryURL_, error)) {
    return "could not create " + directoryURL_.string() + ": not a directory";
  }
  const std::string bytes = encodeConfiguration(configuration);
  const auto temporary = directoryURL_ / (temporaryPrefix + uuidSource_());
  if (auto failure = fileio::writeNewFile(temporary, bytes, /*sync=*/true)) {
    return "could not write " + failure->description();
  }
  // rename() replaces the old file in one step: a reader sees either the old or the new content.
  if (std::rename(temporary.c_str(), fileURL_.c_str()) != 0) {
    return "could not replace " + fileio::describeErrno(fileURL_, errno);
  }
  fileio::syncDirectory(directoryURL_);
  return std::nullopt;
}

ConfigStore::Loaded ConfigStore::load() {
  auto read = fileio::readWholeFile(fileURL_);
  if (!read) {
    return {defaultConfiguration(), false};
  }
  auto decoded = decodeConfigurationText(*read);
  if (!decoded) {
    logger.error("config corrupt, resetting to defaults: %{public}s",
                 {decoded.error().description()});
    backUpCorrupt(*read);
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
    backUpCorrupt(*read);
    return {defaultConfiguration(), true};
  }
  logger.notice("migrating config from schemaVersion %{public}ld to %{public}ld",
                {version, Configuration::currentSchemaVersion});
  backUpVersion(*read, version);
  return {decoded->migrated(), true};
}

// The backups are written from the bytes that were read and rejected, and never replace an
// existing file: an earlier backup is worth more than a later one.
void ConfigStore::backUpCorrupt(const std::string& bytes) {
  // Two rejected files within one second would share the timestamp; the later ones get "-2",
  // "-3", ... so that each is kept.
  const auto name = corruptPrefix + backupTimestamp(wallClock_());
  for (int attempt = 1; attempt <= maxBackupsPerSecond; ++attempt) {
    const auto path = directoryURL_ / (attempt == 1 ? name : name + "-" + std::to_string(attempt));
    std::error_code ignored;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
      fileio::writeNewFile(path, bytes, /*sync=*/true);
      return;
    }
  }
}

void ConfigStore::backUpVersion(const std::string& bytes, std::int64_t version) {
  const auto name = std::string(fileName) + ".v" + std::to_string(version) + "-backup";
  fileio::writeNewFile(directoryURL_ / name, bytes, /*sync=*/true);
}

}  // namespace tactora
