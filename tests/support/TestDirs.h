// A fresh temporary directory per test, removed afterwards.
#pragma once

#include <string>
#include <vector>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::vector<unsigned char> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
void WriteString(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
// Puts a plain-looking file at `path` that is there but cannot be read (also
// by root); StillUnreadable tells that nothing has replaced it since.
void MakeUnreadable(const std::string& path);
bool StillUnreadable(const std::string& path);
