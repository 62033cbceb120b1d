// The main browser window. One class over several files: lifecycle and
// layout here, navigation and browser events in Form1Navigation.cpp.
#pragma once

#include <gtkmm.h>

#include <memory>
#include <string>
#include <vector>

#include "history/HistoryLog.h"
#include "platform/WebBrowser.h"

class Form1 : public Gtk::Window {
 public:
  // Makes, registers and shows a main window around the browser; the window
  // owns itself from then on and is freed after it closes.
  static Form1* Open(std::unique_ptr<WebBrowser> browser);
  // Every main window still loaded, oldest first.
  static const std::vector<Form1*>& Loaded();

  ~Form1() override;

  WebBrowser& WebBrowser1;
  Gtk::Label LabelMyId;

  // Event handlers.
  void Form_Load();
  void Form_Activate();
  void Form_QueryUnload();
  void Timer4_Timer();
  void WebBrowser1_NavigateComplete2(const std::string& url);
  void WebBrowser1_TitleChange(const std::string& text);
  void WebBrowser1_DownloadComplete();
  void WebBrowser1_NavigateError(const std::string& url, int status);
  WebBrowser* WebBrowser1_NewWindow2();
  void WebBrowser1_WindowClosing();

  const std::string& PageTitle() const { return pageTitle_; }
  bool Timer4Enabled() const { return timer4_.connected(); }

 private:
  explicit Form1(std::unique_ptr<WebBrowser> browser);
  void ConnectBrowser();
  void SaveWindowState();
  void Unload();
  bool IsNormalState() const;

  std::unique_ptr<WebBrowser> browser_;
  Gtk::Box layout_ {Gtk::ORIENTATION_VERTICAL, 0};
  sigc::connection timer4_;
  std::string pageTitle_;
  PageLogMarks logMarks_;
  bool unloading_ = false;
  bool scriptShaped_ = false;
};
