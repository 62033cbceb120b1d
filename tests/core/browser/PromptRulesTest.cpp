// The rules behind what a page asks of the user: download names and
// progress, certificate problems in words, remembered permission answers.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/browser/Downloads.h"
#include "core/browser/ErrorPages.h"
#include "core/browser/Permissions.h"

namespace {

TEST(Downloads, ServerSuggestionsBecomeSafeNamesInTheDownloadFolder) {
  struct Row {
    const char* name;
    std::string suggested, safe;
  };
  const Row rows[] = {
      {"Plain", "report.pdf", "report.pdf"},
      {"PathPartsDropped", "../../etc/passwd", "passwd"},
      {"BackslashPath", "C:\\Users\\x\\evil.exe", "evil.exe"},
      {"NoHiddenFiles", ".bashrc", "bashrc"},
      {"OnlyDots", "..", "download"},
      {"Empty", "", "download"},
      {"ControlCharacters", "a\nb\tc\x7f.txt", "abc.txt"},
      {"TrailingDotsAndBlanks", "name. . ", "name"},
      {"KeepsUtf8", "K\xC3\xA4se.txt", "K\xC3\xA4se.txt"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(SafeDownloadName(r.suggested), r.safe);
  }
  // A very long name is cut, keeping its extension and whole characters.
  const std::string longName = SafeDownloadName(std::string(150, 'a') + std::string(60, '\xC3') + ".tar.gz");
  EXPECT_LE(longName.size(), 200u);
  EXPECT_EQ(longName.substr(longName.size() - 3), ".gz");
  const std::string utf8 = SafeDownloadName(std::string(197, 'b') + "\xC3\xA4\xC3\xA4" + ".x");
  EXPECT_EQ(utf8, std::string(197, 'b') + ".x");
}

TEST(Downloads, ANameThatIsTakenGetsTheNextNumber) {
  std::set<std::string> taken;
  const auto isTaken = [&taken](const std::string& n) { return taken.count(n) > 0; };
  EXPECT_EQ(UniqueDownloadName("a.pdf", isTaken), "a.pdf");
  taken = {"a.pdf", "a (1).pdf"};
  EXPECT_EQ(UniqueDownloadName("a.pdf", isTaken), "a (2).pdf");
  taken = {"README"};
  EXPECT_EQ(UniqueDownloadName("README", isTaken), "README (1)");
  taken = {"archive.tar.gz"};
  EXPECT_EQ(UniqueDownloadName("archive.tar.gz", isTaken), "archive.tar (1).gz");
}

TEST(Downloads, SizesAndProgressRead) {
  EXPECT_EQ(SizeText(1), "1 byte");
  EXPECT_EQ(SizeText(999), "999 bytes");
  EXPECT_EQ(SizeText(1000), "1.0 kB");
  EXPECT_EQ(SizeText(2600000), "2.6 MB");
  EXPECT_EQ(SizeText(999960000), "1.0 GB");  // never "1000.0 MB"
  EXPECT_EQ(DownloadProgressText("r.pdf", 1170000, 2600000), "Downloading r.pdf: 45% of 2.6 MB - Esc cancels");
  EXPECT_EQ(DownloadProgressText("r.pdf", 1200000, 0), "Downloading r.pdf: 1.2 MB so far - Esc cancels");
  EXPECT_EQ(DownloadProgressText("r.pdf", 3000, 2000).find("100%"), 19u);  // more than told: still 100
}

TEST(Certificates, EveryProblemIsSaidAndTheCertificatePageIsAnErrorPage) {
  EXPECT_EQ(CertificateProblemTexts(kCertExpired | kCertUnknownIssuer),
            (std::vector<std::string>{"The certificate has expired.",
                                      "The certificate was issued by an authority this computer does not trust (it may "
                                      "be self-signed)."}));
  EXPECT_EQ(CertificateProblemTexts(kCertWrongHost),
            std::vector<std::string>{"The certificate was issued for another host name."});
  EXPECT_EQ(CertificateProblemTexts(0), std::vector<std::string>{"The certificate could not be checked."});
  EXPECT_EQ(CertificateProblemTexts(kCertRevoked | kCertOther).size(), 2u);
  EXPECT_TRUE(IsErrorPageTitle("security certificate NOT trusted"));
}

TEST(Permissions, AnAnswerHoldsForItsHostAndItsKindOnly) {
  PermissionAnswers answers;
  EXPECT_FALSE(answers.Recall("example.org", "use your location").has_value());
  answers.Remember("Example.org", "use your location", false);
  EXPECT_EQ(answers.Recall("example.ORG", "use your location"), std::optional<bool>(false));
  EXPECT_FALSE(answers.Recall("example.org", "use your camera").has_value());
  EXPECT_FALSE(answers.Recall("other.org", "use your location").has_value());
  answers.Remember("example.org", "use your location", true);  // asked again, answered otherwise
  EXPECT_EQ(answers.Recall("example.org", "use your location"), std::optional<bool>(true));
  EXPECT_EQ(PermissionQuestion("example.org", "use your location"), "example.org wants to use your location");
  EXPECT_EQ(PermissionQuestion("", "show notifications"), "This page wants to show notifications");
}

}  // namespace
