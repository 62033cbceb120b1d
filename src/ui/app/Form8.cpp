#include "ui/app/Form8.h"

#include "core/app/Module1.h"
#include "platform/Dialogs.h"
#include "ui/app/App.h"

Form8::Form8(App& app) : app_(app) {
  set_title(state_.caption);
  set_default_size(widthPx_, kMarkerHeightPx);
  set_skip_taskbar_hint(true);
  // Closing it from a window menu only hides it; the program closes it at exit.
  signal_delete_event().connect([this](GdkEventAny*) { return Form_QueryUnload(); });
  signal_focus_in_event().connect([this](GdkEventFocus*) {
    Form_Activate();
    return false;
  });
  state_.ready = 1;
}

bool Form8::Form_QueryUnload() {
  hide();
  return true;
}

void Form8::Form_Activate() { state_.ready = 1; }

void Form8::SetMarkerWindowCaption(const std::string& caption) {
  state_.caption = caption;
  ShowCaption();
}

void Form8::ShowCaption() {
  // The caption comes from another process's command line: only valid text
  // goes into the window title.
  if (Glib::ustring(state_.caption).validate()) set_title(state_.caption);
}

void Form8::ResizeMarkerWindow(int widthPx) {
  // Not shown, so no size event comes from the display: the handler runs here.
  widthPx_ = widthPx;
  set_default_size(widthPx_, kMarkerHeightPx);
  Form_Resize();
}

void Form8::Form_Resize() {
  try {
    Module1State& m = Module1();
    MarkerResizeInput input;
    input.currentWidth = static_cast<float>(widthPx_) * kMarkerTwipsPerPixel;
    // A message box open counts as an "App-Message" window: no new window
    // may open under it, so the hand-over is refused and its address kept.
    input.busyWindowOpen = m.BusyWindowOpen != 0 || m.MsgBoxOpen != 0 ? 1 : 0;
    input.mainWindowLoaded = app_.HasMainWindows();
    const MarkerDecision decision = DecideMarkerResize(state_, input);
    ShowCaption();
    switch (decision.action) {
      case MarkerAction::RefuseBusy:
        MsgBox(kBusyRefusalText);
        break;
      case MarkerAction::OpenWindow:
        if (decision.commandLine) m.CommandLineArg = *decision.commandLine;
        // The main window opened first that is still loaded opens it.
        app_.OpenNewMainWindow();
        break;
      case MarkerAction::Ignore:
        break;
    }
  } catch (...) {
    // A failed hand-over leaves the running windows as they are.
  }
}
