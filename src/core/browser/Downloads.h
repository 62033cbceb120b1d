// Rules for files a page hands over for saving: the name a download gets in
// the download folder, and how its progress reads in the status bar.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A name the download folder can take from what a server suggested: its
// last path part, without control characters or leading dots (no hidden
// files, no "..") and at most 200 bytes; "download" when nothing is left.
std::string SafeDownloadName(const std::string& suggested);

// `name`, or "name (1).ext", "name (2).ext" ... : the first that `taken`
// does not report, so an existing file is never overwritten.
std::string UniqueDownloadName(const std::string& name, const std::function<bool(const std::string&)>& taken);

// "512 bytes", "12.5 kB", "3.4 MB", "1.2 GB".
std::string SizeText(uint64_t bytes);

// "Downloading report.pdf: 45% of 2.6 MB - Esc cancels";
// without a known total: "Downloading report.pdf: 1.2 MB so far - ...".
std::string DownloadProgressText(const std::string& name, uint64_t received, uint64_t total);
