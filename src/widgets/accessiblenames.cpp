#include "widgets/accessiblenames.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

namespace folio {

namespace {

// Controls whose design name says nothing to a listener, by that name.
const QHash<QString, QString> &namesByDesignName()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("TreeView1"), QStringLiteral("Folder tree")},
        {QStringLiteral("ListView1"), QStringLiteral("Document list")},
        {QStringLiteral("txtHTMLTitle"), QStringLiteral("Document title")},
        {QStringLiteral("DHTMLEdit1"), QStringLiteral("Document text")},
        {QStringLiteral("DHTMLEdit1Text"), QStringLiteral("Document text")},
        {QStringLiteral("picMessageBoard"), QStringLiteral("Message board")},
        {QStringLiteral("lblmessageBoard"), QStringLiteral("Message")},
        {QStringLiteral("StatusBar1"), QStringLiteral("Status bar")},
        {QStringLiteral("ToolbarDir"), QStringLiteral("Folder toolbar")},
        {QStringLiteral("ToolbarDoc"), QStringLiteral("Document toolbar")},
        {QStringLiteral("txtQuery1"), QStringLiteral("First keyword")},
        {QStringLiteral("txtQuery2"), QStringLiteral("Second keyword")},
        {QStringLiteral("lstVersions"), QStringLiteral("Kept versions")},
        {QStringLiteral("lstDeleted"), QStringLiteral("Deleted documents")},
        {QStringLiteral("txtDeleted"), QStringLiteral("Deleted document")},
        {QStringLiteral("lstLanguages"), QStringLiteral("Spelling languages")},
        {QStringLiteral("lstSkipped"), QStringLiteral("Parts left out")},
        {QStringLiteral("txtManual"), QStringLiteral("Manual page")},
        {QStringLiteral("txtImportSource"), QStringLiteral("Source to import")},
        {QStringLiteral("txtExportTarget"), QStringLiteral("Folder to export into")},
        {QStringLiteral("txtFindText"), QStringLiteral("Text to find")},
        {QStringLiteral("txtVersion"), QStringLiteral("Version information")},
        {QStringLiteral("prgImport"), QStringLiteral("Import progress")},
        {QStringLiteral("prgExport"), QStringLiteral("Export progress")},
        {QStringLiteral("prgMaintenance"), QStringLiteral("Progress")},
        {QStringLiteral("prgWork"), QStringLiteral("Progress")},
        {QStringLiteral("FontCombo"), QStringLiteral("Font")},
        {QStringLiteral("FontSizeCombo"), QStringLiteral("Font size")},
        // The button a toolbar shows when its buttons do not all fit.
        {QStringLiteral("qt_toolbar_ext_button"), QStringLiteral("More buttons")},
    };
    return names;
}

// Every '&' not followed by another is an access-key mark ("&&" shows one).
// A plain loop: this runs for every control of every window that is shown,
// and a regular expression made each time cost milliseconds at start-up.
QString withoutAccessKey(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && (i + 1 == text.size() || text.at(i + 1) != QLatin1Char('&')))
            continue;
        shown.append(text.at(i));
    }
    return shown.trimmed();
}

// The words a control shows or is known by, in the order a reader would
// look: the design table, a toolbar button's tip, its own text, its label.
QString nameFor(QWidget *w)
{
    const QString fromTable = namesByDesignName().value(w->objectName());
    if (!fromTable.isEmpty())
        return fromTable;
    if (qobject_cast<QHeaderView *>(w))
        return QStringLiteral("Column headings");
    // The pop-up list of a combo box is named after the box.
    for (QWidget *up = w->parentWidget(); up; up = up->parentWidget())
        if (auto *combo = qobject_cast<QComboBox *>(up))
            return combo->accessibleName().isEmpty() ? nameFor(combo) : combo->accessibleName();
    if (auto *tool = qobject_cast<QToolButton *>(w); tool && tool->defaultAction()) {
        const QString tip = tool->defaultAction()->toolTip();
        return withoutAccessKey(tip.isEmpty() ? tool->defaultAction()->text() : tip);
    }
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && !button->text().isEmpty())
        return withoutAccessKey(button->text());
    for (QLabel *label : w->window()->findChildren<QLabel *>())
        if (label->buddy() == w && !label->text().isEmpty())
            return withoutAccessKey(label->text());
    if (auto *edit = qobject_cast<QLineEdit *>(w); edit && !edit->placeholderText().isEmpty())
        return edit->placeholderText();
    return withoutAccessKey(w->toolTip());
}

class WindowNamer : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (widget->isWindow())
                nameForAccessibility(widget);
        }
        return false;
    }
};

} // namespace

void nameForAccessibility(QWidget *window)
{
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *w : widgets) {
        if (w->accessibleName().isEmpty()) {
            const QString name = nameFor(w);
            if (!name.isEmpty())
                w->setAccessibleName(name);
        }
        if (w->accessibleDescription().isEmpty() && !w->toolTip().isEmpty())
            w->setAccessibleDescription(w->toolTip());
    }
}

void nameWindowsWhenShown()
{
    static WindowNamer *namer = nullptr;
    if (namer || !qApp)
        return;
    namer = new WindowNamer(qApp);
    qApp->installEventFilter(namer);
}

} // namespace folio
