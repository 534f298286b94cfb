#include "Platform/WorkItem.h"

namespace tactora::platform {

void WorkItem::perform() {
  if (!isCancelled() && work_) {
    work_();
  }
}

}  // namespace tactora::platform
