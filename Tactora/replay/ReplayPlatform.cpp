#include "Tactora/replay/ReplayPlatform.h"

namespace tactora {

ReplayPlatform::ReplayPlatform(std::shared_ptr<sim::SimPlatform> sim, PostObserver onPost)
    : sim_(std::move(sim)), events_(sim_->events(), std::move(onPost)) {}

}  // namespace tactora
