#pragma once

#include "editor/urlopener.h"

namespace folio {

// Opens links with the desktop's handler (browser, mail program).
class DesktopUrlOpener : public UrlOpener
{
public:
    void openUrl(const QUrl &url) override;
};

} // namespace folio
