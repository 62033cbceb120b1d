#include "platform/ModalLoop.h"

#include <glibmm/main.h>

#include <vector>

namespace {

int& Depth() {
  static int depth = 0;
  return depth;
}

std::vector<sigc::slot<void>>& Waiting() {
  static auto* waiting = new std::vector<sigc::slot<void>>;
  return *waiting;
}

// From the main loop, never from inside the scope that just ended: the
// handler that ran the dialog is still on the stack there.
void RunWaiting() {
  if (InModalLoop()) return;  // another dialog opened meanwhile; it ends later
  std::vector<sigc::slot<void>> due;
  due.swap(Waiting());
  for (auto& action : due)
    if (!action.empty()) action();
}

void ScheduleWaiting() { Glib::signal_idle().connect_once(sigc::ptr_fun(&RunWaiting), Glib::PRIORITY_HIGH_IDLE); }

}  // namespace

ModalLoopScope::ModalLoopScope() { ++Depth(); }

ModalLoopScope::~ModalLoopScope() {
  if (--Depth() == 0 && !Waiting().empty()) ScheduleWaiting();
}

bool InModalLoop() { return Depth() > 0; }

void AfterModalLoops(const sigc::slot<void>& action) {
  Waiting().push_back(action);
  if (!InModalLoop() && Waiting().size() == 1) ScheduleWaiting();
}
