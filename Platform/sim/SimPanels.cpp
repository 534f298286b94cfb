#include "Platform/sim/SimPanels.h"

#include <algorithm>

namespace tactora::sim {

class SimPanels::Surface : public platform::PanelSurface {
 public:
  explicit Surface(std::vector<SurfaceEvent>& events) : events_(events) {}
  ~Surface() override { hide(); }

  bool show(const platform::PanelPicture& picture, platform::PanelAnchor anchor) override {
    int peak = 0;
    for (int y = 0; y < picture.height; ++y) {
      const std::uint8_t* row =
          picture.pixels + static_cast<std::ptrdiff_t>(y) * picture.bytesPerLine;
      for (int x = 0; x < picture.width; ++x) {
        // The alpha byte of a 32-bit ARGB pixel in the machine's byte order.
        std::uint32_t pixel = 0;
        std::copy_n(row + 4 * x, 4, reinterpret_cast<std::uint8_t*>(&pixel));
        peak = std::max(peak, static_cast<int>(pixel >> 24));
      }
    }
    events_.push_back({true, picture.width, picture.height, anchor, peak});
    shown_ = true;
    return true;
  }

  void hide() override {
    if (shown_) {
      events_.push_back({});
      shown_ = false;
    }
  }

 private:
  std::vector<SurfaceEvent>& events_;
  bool shown_ = false;
};

std::unique_ptr<platform::PanelSurface> SimPanels::makeSurface() {
  ++surfacesMade_;
  return std::make_unique<Surface>(surfaceEvents_);
}

bool SimPanels::showInShell(std::string_view text) {
  if (shellAnswers_) {
    shellTexts_.emplace_back(text);
  }
  return shellAnswers_;
}

void SimPanels::setKind(platform::PanelKind kind, std::string description) {
  kind_ = kind;
  description_ = std::move(description);
}

}  // namespace tactora::sim
