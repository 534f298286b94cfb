// Arbitrary bytes as a configuration file: the decoder never crashes, the text and the value
// readers agree, and whatever decodes is written and read back to an equal value with nothing
// dropped. Migration and the settings-window operations run on every decoded value too.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Tactora/config/Configuration.h"
#include "fuzz/FuzzSupport.h"

namespace {

using tactora::fuzz::check;

void checkRoundTrip(const tactora::Configuration& configuration) {
  std::vector<tactora::DroppedElement> dropped;
  auto again =
      tactora::decodeConfigurationText(tactora::encodeConfiguration(configuration), &dropped);
  check(again.ok());
  check(dropped.empty());
  check(*again == configuration);
  check(again->hash() == configuration.hash());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = tactora::fuzz::asText(data, size);

  std::vector<tactora::DroppedElement> dropped;
  auto decoded = tactora::decodeConfigurationText(text, &dropped);
  for (const auto& each : dropped) {
    check(!each.path.empty());
    (void)each.description();
  }

  // The plain reader accepts what the application's reader accepts (it only lacks the nesting
  // limit), and both decode to the same value.
  const auto parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (decoded.ok()) {
    check(!parsed.is_discarded());
    auto fromValue = tactora::decodeConfiguration(parsed);
    check(fromValue.ok() && *fromValue == *decoded);
  } else {
    (void)decoded.error().description();
    return 0;
  }

  const tactora::Configuration& configuration = *decoded;
  checkRoundTrip(configuration);
  const auto migrated = configuration.migrated();
  check(migrated.schemaVersion >= tactora::Configuration::currentSchemaVersion);
  check(migrated.allAppsProfile() != nullptr);
  checkRoundTrip(migrated);
  checkRoundTrip(configuration.restoringDeletedGestures());
  checkRoundTrip(configuration.resettingAllAppsGestures());
  if (configuration.profiles.size() > 1 && configuration.profiles.back().bundleIdentifier) {
    checkRoundTrip(
        configuration.removingOverrides(*configuration.profiles.back().bundleIdentifier));
  }
  (void)configuration.shellCommands();
  return 0;
}
