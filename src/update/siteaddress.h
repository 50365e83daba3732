#pragma once

#include <QString>
#include <QUrl>

namespace folio {

// The maker's web site. Its pages and the version file hang off one base
// address; the environment variable FOLIOK_SITE_URL replaces it (a mirror,
// or a local server in tests), plain http included.
inline constexpr const char *DefaultSiteUrl = "https://www.foliokeeper.example";
inline constexpr const char *SiteUrlVariable = "FOLIOK_SITE_URL";

inline constexpr const char *VersionFilePath = "/download/foliok.txt";
inline constexpr const char *DownloadPagePath = "/download.htm";
inline constexpr const char *FeedbackPagePath = "/feedback.htm";

// The base address in force: FOLIOK_SITE_URL when set and not empty,
// otherwise the built-in one. Invalid when the variable holds something
// that is not an http or https address with a host (the caller's fetch
// then fails and says so).
QUrl siteBaseUrl();
// `path` ("/download.htm") below `base`; a base with a path of its own
// (a mirror in a sub-folder) keeps it.
QUrl siteUrl(const QUrl &base, const QString &path);
QUrl siteUrl(const QString &path);

} // namespace folio
