// The application object: it owns every window of the program, runs the
// main loop, and offers what windows need of each other. Windows never free
// themselves and never live in statics; they tell the owner they have
// closed, and the owner frees them from the main loop.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Form1;
class Form2;
class Form3;
class Form5;
class Form6;
class Form7;
class Form8;
class Form10;
class Form4;
class Form9;
struct AppliedOptions;
class WebBrowser;
class OpenPagesKeeper;
class SiteData;
class ClearDataWindow;

// What another window may read of a main window.
struct MainWindowPage {
  std::string title, url;
  int x = 0, y = 0;  // the window's position, pixels
};

class App : public sigc::trackable {
 public:
  // Starts the toolkit. The program's own single-instance hand-over stays in
  // charge: the toolkit's application is never unique.
  App();
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Runs the main loop until Quit(); returns the exit code.
  int Run();
  void Quit();

  // ---- main windows ----
  // Makes, registers and shows a main window around the browser.
  Form1& OpenMainWindow(std::unique_ptr<WebBrowser> browser);
  // Every main window still loaded, oldest first.
  std::vector<Form1*> MainWindows() const;
  bool HasMainWindows() const { return !mainWindows_.empty(); }
  // The main window activated last (ActiveMainWindowId), else the oldest.
  Form1* ActiveMainWindow() const;
  void ForEachMainWindow(const std::function<void(Form1&)>& action) const;
  // Every main window's selector read anew from the list files.
  void RefillSelectors() const;
  void SiteFileChanged(int16_t fileNumber) const;  // main windows showing that site file reread it
  // The process-wide text size applied to every page and menu.
  void ShowTextSizeEverywhere() const;
  // A new main window for the start page or a handed-over address, opened as
  // the oldest normal (else the oldest) main window opens one.
  void OpenNewMainWindow();
  // The page of `preferred` while it is loaded, else of the active window.
  std::optional<MainWindowPage> PageOf(const Form1* preferred) const;
  // The end of a main window's close sequence; after the last one the
  // program ends.
  void MainWindowUnloaded(Form1& window);
  // The last main window closes the others before the settings are written.
  void CloseSecondaryWindows();

  // ---- the list editor ----
  // Shows the one editor, making it on first use; `opener` is the main window
  // whose page "Add Page To List" takes.
  void OpenEditor(Form1* opener);
  Form2* Editor() const { return editor_.get(); }
  void CloseEditor();  // runs its close sequence when it is open
  void EditorUnloaded();

  // ---- the don't-kill list ----
  // Shows the list window modally over `parent`; one at a time.
  void OpenDontKillList(Gtk::Window* parent, const std::string& pageTitle, const std::string& pageUrl);
  Form10* DontKillList() const { return dontKill_.get(); }
  void DontKillListUnloaded();

  // ---- the options and suggestions windows ----
  // The options window over `parent`; `currentPage` is the page it shows.
  void OpenOptions(Gtk::Window* parent, const std::string& currentPage);
  Form4* Options() const { return options_.get(); }
  // Every open window follows what saving the options changed.
  void ApplyOptions(const AppliedOptions& applied);
  // Deletes the day files the days to keep no longer cover; an open History
  // window does it and shows what is left.
  void PurgeHistory();
  // One suggestions window at a time (the mail window mode).
  void OpenSuggestions(Gtk::Window* parent);
  Form9* Suggestions() const { return suggestions_.get(); }

  // ---- clearing browsing data ----
  // One window at a time, over `parent`, on the engine's store `data`.
  void OpenClearData(Gtk::Window* parent, std::unique_ptr<SiteData> data);
  ClearDataWindow* ClearData() const { return clearData_.get(); }
  // History files were cleared: the History window and the completions follow.
  void HistoryCleared();

  // ---- the About window and the full-screen window ----
  // Shows the one About window over `parent`, making it on first use.
  void OpenAbout(Gtk::Window* parent);
  Form3* About() const { return about_.get(); }
  void AboutUnloaded();
  // The one full-screen window, made on first use with a browser of the
  // same kind as `source`; its owner shows it.
  Form5& FullScreen(WebBrowser& source);
  // A full-screen window made afresh for a page's window request from
  // `source`, shown; its browser is the request's target.
  WebBrowser* FullScreenForRequest(WebBrowser& source);
  Form5* FullScreenWindow() const { return fullScreen_.get(); }
  void FullScreenUnloaded();

  // ---- the History window ----
  // Shows the one History window, making and loading it on first use.
  Form6& OpenHistory();
  Form6* History() const { return history_.get(); }
  void CloseHistory();  // runs its close sequence when it is open
  void HistoryUnloaded();
  // The list editor, modal over the History window, to take its selected rows.
  void OpenEditorFromHistory(Gtk::Window& history);

  // ---- the record of open pages ----
  OpenPagesKeeper& OpenPages() const { return *openPages_; }

  // ---- hidden windows ----
  Form7& Boom();
  Form8& Marker();

 private:
  void Retire(std::unique_ptr<Gtk::Window> window);
  void FreeRetired();

  Glib::RefPtr<Gtk::Application> toolkit_;
  bool held_ = false;
  std::vector<std::unique_ptr<Form1>> mainWindows_;
  std::unique_ptr<Form2> editor_;
  std::unique_ptr<Form3> about_;
  std::unique_ptr<Form5> fullScreen_;
  std::unique_ptr<Form10> dontKill_;
  std::unique_ptr<Form6> history_;
  std::unique_ptr<Form4> options_;
  std::unique_ptr<Form9> suggestions_;
  std::unique_ptr<ClearDataWindow> clearData_;
  std::unique_ptr<Form7> boom_;
  std::unique_ptr<Form8> marker_;
  std::unique_ptr<OpenPagesKeeper> openPages_;
  // Closed windows wait here for the main loop, outside every modal dialog:
  // their close may be running inside one of their own handlers.
  std::vector<std::unique_ptr<Gtk::Window>> retired_;
  bool freeScheduled_ = false;
};
