#include "Tactora/main/PlayCommand.h"

#include <dlfcn.h>

#include <array>

#include "Platform/PrivateLibrary.h"
#include "Platform/linux/provider/PlaybackProvider.h"

namespace tactora {

std::variant<std::string, PlayCommand::Refusal> PlayCommand::prepare(
    const std::string& recordingPath) {
  std::string providerPath =
      platform::PrivateLibrary::findForRunningProgram(TACTORA_PLAYBACK_PROVIDER_LIBRARY);
  if (providerPath.empty()) {
    providerPath = TACTORA_PLAYBACK_PROVIDER_LIBRARY;
  }
  // Never closed: the multitouch bridge opens the same path later and gets this instance, with
  // the recording it was handed.
  void* library = ::dlopen(providerPath.c_str(), RTLD_NOW);
  if (library == nullptr) {
    const char* reason = ::dlerror();
    return Refusal{"cannot load the playback provider: " +
                   std::string(reason != nullptr ? reason : providerPath)};
  }
  auto load = reinterpret_cast<TactoraPlaybackLoadFn>(::dlsym(library, TACTORA_PLAYBACK_LOAD));
  if (load == nullptr) {
    return Refusal{"cannot load the playback provider: " + providerPath + " has no " +
                   TACTORA_PLAYBACK_LOAD};
  }
  std::array<char, 1024> problem{};
  if (load(recordingPath.c_str(), problem.data(), problem.size()) != 0) {
    return Refusal{problem.data(), unreadableRecording};
  }
  return providerPath;
}

PlayCommand::Refusal PlayCommand::alreadyRunning() {
  return {
      "Tactora is already running in this session; quit it before playing a recording (both "
      "would act on every gesture)",
      cannotPlay};
}

}  // namespace tactora
