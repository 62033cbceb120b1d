// The main window's ways into the History window, and how page logging
// reaches its today list.
#include "core/app/Module1.h"
#include "ui/app/App.h"
#include "ui/browser/Form1.h"
#include "ui/history/Form6.h"

void Form1::mnuHistList_Click() { app_.OpenHistory(); }

void Form1::mnuClearData_Click() { app_.OpenClearData(this, WebBrowser1.CreateSiteData()); }

TodayListListener* Form1::TodayList() const {
  if (Module1().HistoryWindowLoaded != 1) return nullptr;
  return app_.History();
}
