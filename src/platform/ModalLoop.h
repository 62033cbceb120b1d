// Modal dialogs run a nested main loop: timers, idle callbacks, page events
// and hand-overs keep coming while the handler that opened the dialog waits
// for it. Whatever that handler stands in (its window, the window's browser)
// must outlive the dialog, so closing and freeing wait for the loops to end.
#pragma once

#include <sigc++/sigc++.h>

// Marks a nested loop for as long as it lives; every modal dialog of the
// program runs inside one (the scripted answerers of tests too).
class ModalLoopScope {
 public:
  ModalLoopScope();
  ~ModalLoopScope();
  ModalLoopScope(const ModalLoopScope&) = delete;
  ModalLoopScope& operator=(const ModalLoopScope&) = delete;
};

// True while any modal dialog's loop runs.
bool InModalLoop();

// Runs `action` from the main loop once no modal loop runs any more. A slot
// bound to an object that is gone by then is dropped.
void AfterModalLoops(const sigc::slot<void>& action);
