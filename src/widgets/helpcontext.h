#pragma once

#include <QVariant>
#include <QWidget>

namespace folio {

// Help context numbers: which page of the manual belongs to a window or
// control. A widget carries its number as a property; F1 asks the focused
// control, then each parent up to its window.
namespace HelpContext {
inline constexpr int MainWindow = 1000;
inline constexpr int Toolbars = 240;
inline constexpr int FolderTree = 310;
inline constexpr int DocumentList = 320;
inline constexpr int TitleAndEditor = 330;
inline constexpr int BackupRestore = 340;
inline constexpr int Update = 360;
inline constexpr int About = 370;
inline constexpr int History = 380;
inline constexpr int Transfer = 390;
} // namespace HelpContext

inline constexpr const char *HelpContextProperty = "helpContextId";

inline void setHelpContext(QWidget *widget, int topic)
{
    widget->setProperty(HelpContextProperty, topic);
}

// The number of `widget` or of its nearest parent that has one; 0 when
// none has.
inline int helpContextOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const int topic = w->property(HelpContextProperty).toInt();
        if (topic > 0)
            return topic;
    }
    return 0;
}

} // namespace folio
