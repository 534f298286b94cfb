#pragma once

#include <memory>

#include "Platform/Platform.h"
#include "Tactora/shell/MainQueueDispatch.h"

namespace tactora::shell {

// A backend's platform whose main queue is another run loop (Qt's): every service is the
// backend's, only `dispatch().main()` differs. Installed in place of the backend so that the
// application's main-queue work, delayed items and main-run-loop timers run on the GUI thread.
class MainQueuePlatform final : public platform::Platform {
 public:
  MainQueuePlatform(std::shared_ptr<platform::Platform> backend,
                    std::shared_ptr<platform::RunLoop> mainLoop)
      : backend_(std::move(backend)),
        mainLoop_(std::move(mainLoop)),
        dispatch_(backend_->dispatch(), *mainLoop_) {}

  platform::Platform& backend() { return *backend_; }
  // Replaces the backend's updater (the update check lives on Qt's network stack, above the
  // backend); null: the backend's own.
  void setUpdater(std::shared_ptr<platform::Updater> updater) { updater_ = std::move(updater); }

  platform::Clock& clock() override { return backend_->clock(); }
  MainQueueDispatch& dispatch() override { return dispatch_; }
  platform::Events& events() override { return backend_->events(); }
  platform::SystemBridges& systemBridges() override { return backend_->systemBridges(); }
  platform::Accessibility& accessibility() override { return backend_->accessibility(); }
  platform::Workspace& workspace() override { return backend_->workspace(); }
  platform::Permissions& permissions() override { return backend_->permissions(); }
  platform::Preferences& preferences() override { return backend_->preferences(); }
  platform::LoginItems& loginItems() override { return backend_->loginItems(); }
  platform::Updater& updater() override { return updater_ ? *updater_ : backend_->updater(); }
  platform::KeyboardKeys& keyboardKeys() override { return backend_->keyboardKeys(); }
  platform::ApplicationCatalog& applicationCatalog() override {
    return backend_->applicationCatalog();
  }
  platform::Battery& battery() override { return backend_->battery(); }
  platform::Panels& panels() override { return backend_->panels(); }

 private:
  std::shared_ptr<platform::Platform> backend_;
  std::shared_ptr<platform::RunLoop> mainLoop_;
  MainQueueDispatch dispatch_;
  std::shared_ptr<platform::Updater> updater_;
};

}  // namespace tactora::shell
