// Keeps the record of what is open up to date while the program runs, and
// offers what the last run left in it. Windows tell it when they open, close
// or finish a page; it takes the list of pages once the main loop is idle, so
// a burst of changes makes one list, and hands it to the record's writer
// thread. A window whose RecordsItsPage() is false (a private window) is
// never in the list.
#pragma once

#include <glibmm.h>

#include <chrono>
#include <memory>
#include <string>

#include "core/app/OpenPages.h"

class App;
class Form1;

class OpenPagesKeeper {
 public:
  explicit OpenPagesKeeper(App& app);
  ~OpenPagesKeeper();
  OpenPagesKeeper(const OpenPagesKeeper&) = delete;
  OpenPagesKeeper& operator=(const OpenPagesKeeper&) = delete;

  // Starts recording into the data folder. A record found there is what the
  // last run left when it did not end normally: it becomes the offer, and is
  // kept in the record until the user answers.
  void Start(const std::string& userDataDir, std::chrono::milliseconds gap = std::chrono::seconds(1));
  // No more recording; the record stays as it is (benchmarks compare).
  void Stop();
  // A window opened, closed or finished loading a page.
  void Changed();
  // The last main window closed normally: the record goes, offer and all.
  void Ended();
  // Shows the offer, if there is one, in the window's bar.
  void Offer(Form1& window);
  const openpages::Pages& Offered() const { return offered_; }
  // The pages of the recorded windows now, in window order.
  openpages::Pages OpenNow() const;

  // The list is on disk now (tests and benchmarks).
  void Flush();
  // Writes of the record so far.
  std::size_t Writes() const { return writer_ ? writer_->Writes() : 0; }
  const std::string& Path() const { return path_; }

 private:
  void RecordNow();
  void Reopen();
  void Forget();

  App& app_;
  std::string path_;
  std::unique_ptr<openpages::Writer> writer_;
  openpages::Pages offered_;
  openpages::Pages lastRecorded_;
  bool anyRecorded_ = false;
  sigc::connection idle_;
};
