#pragma once

#include <QUrl>

namespace folio {

// Hands a link the user activated to the system. Behind an interface so a
// test can see which links would open without starting a browser.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void openUrl(const QUrl &url) = 0;
};

} // namespace folio
