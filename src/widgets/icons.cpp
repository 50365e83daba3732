#include "widgets/icons.h"

#include "widgets/colourscheme.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <functional>
#include <optional>

namespace folio {

namespace {

// A small picture with a letter or symbol, for commands the style has no
// picture for. It is drawn when shown, in its colour where that stands out
// from the buttons of the palette in use and in the palette's button text
// otherwise, so the letters stay readable on a dark toolbar.
class LetterIconEngine : public QIconEngine
{
public:
    LetterIconEngine(QString glyph, QColor color, bool bold, bool italic, bool underline)
        : m_glyph(std::move(glyph)), m_color(color), m_bold(bold), m_italic(italic), m_underline(underline)
    {
    }

    void paint(QPainter *p, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QApplication::palette();
        QColor ink = m_color;
        if (mode == QIcon::Disabled)
            ink = palette.color(QPalette::Disabled, QPalette::ButtonText);
        else if (contrastRatio(ink, palette.color(QPalette::Button)) < 3.0)
            ink = palette.color(QPalette::ButtonText);
        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        p->setRenderHint(QPainter::TextAntialiasing);
        QFont f = QApplication::font();
        f.setPixelSize(std::max(6, rect.height() * (m_glyph.size() > 1 ? 9 : 13) / 16));
        f.setBold(m_bold);
        f.setItalic(m_italic);
        f.setUnderline(m_underline);
        p->setFont(f);
        p->setPen(ink);
        p->drawText(rect, Qt::AlignCenter, m_glyph);
        p->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paint(&p, pixmap.rect(), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new LetterIconEngine(*this); }

private:
    QString m_glyph;
    QColor m_color;
    bool m_bold;
    bool m_italic;
    bool m_underline;
};

// A picture of the desktop's icon theme or of the style, looked up when it is
// first drawn: looking one up reads its picture files, and most commands are
// never drawn before the user opens a menu (the formatting bar is hidden
// until a document is revised). Half the toolbar pictures cost several
// milliseconds of start-up when they were read at once.
class DeferredIconEngine : public QIconEngine
{
public:
    DeferredIconEngine(std::function<QIcon()> lookUp) : m_lookUp(std::move(lookUp)) {}

    void paint(QPainter *p, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(p, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("FolioDeferredIcon"); }
    QIconEngine *clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon &icon()
    {
        if (!m_icon) {
            m_icon = m_lookUp();
            m_lookUp = {};
        }
        return *m_icon;
    }

    std::function<QIcon()> m_lookUp;
    std::optional<QIcon> m_icon;
};

QIcon letterIcon(const QString &glyph, const QColor &color, bool bold = true, bool italic = false,
                 bool underline = false)
{
    return QIcon(new LetterIconEngine(glyph, color, bold, italic, underline));
}

} // namespace

QIcon commandIcon(const QString &key)
{
    static const QHash<QString, QStyle::StandardPixmap> standard = {
        {"DirAdd", QStyle::SP_FileDialogNewFolder},  {"DirChg", QStyle::SP_FileDialogDetailedView},
        {"DirDel", QStyle::SP_DialogDiscardButton},  {"DbCompact", QStyle::SP_DriveHDIcon},
        {"DbBackup", QStyle::SP_DialogSaveButton},   {"DocAdd", QStyle::SP_FileIcon},
        {"DocChg", QStyle::SP_FileDialogContentsView}, {"DocDel", QStyle::SP_TrashIcon},
        {"DocExport", QStyle::SP_ArrowRight},        {"DocFind", QStyle::SP_FileDialogStart},
        {"DocPrt", QStyle::SP_ComputerIcon},         {"DocSave", QStyle::SP_DialogSaveButton},
        {"DocCancel", QStyle::SP_DialogCancelButton}, {"Undo", QStyle::SP_ArrowBack},
    };
    static const QHash<QString, QIcon> painted = {
        {"Copy", letterIcon(QStringLiteral("Cp"), Qt::darkBlue)},
        {"Paste", letterIcon(QStringLiteral("Ps"), Qt::darkBlue)},
        {"Cut", letterIcon(QStringLiteral("✂"), Qt::darkBlue)},
        {"ToTitle", letterIcon(QStringLiteral("T↑"), Qt::darkBlue)},
        {"Find", letterIcon(QStringLiteral("?"), Qt::darkBlue)},
        {"Font", letterIcon(QStringLiteral("F"), Qt::black)},
        {"FontSize", letterIcon(QStringLiteral("Aa"), Qt::black)},
        {"Bold", letterIcon(QStringLiteral("B"), Qt::black)},
        {"Italic", letterIcon(QStringLiteral("I"), Qt::black, false, true)},
        {"Underline", letterIcon(QStringLiteral("U"), Qt::black, false, false, true)},
        {"Color", letterIcon(QStringLiteral("A"), Qt::red)},
        {"Picture", letterIcon(QStringLiteral("▣"), Qt::darkGreen, false)},
        {"Bullets", letterIcon(QStringLiteral("•≡"), Qt::black)},
        {"LeftJustify", letterIcon(QStringLiteral("≡←"), Qt::black, false)},
        {"Center", letterIcon(QStringLiteral("≡"), Qt::black, false)},
        {"RightJustify", letterIcon(QStringLiteral("→≡"), Qt::black, false)},
    };
    // The desktop's icon theme first, so the toolbars look like the rest of
    // the desktop; the style's or our own pictures where the theme has none
    // (or there is no theme, as on the offscreen platform).
    static const QHash<QString, QString> themed = {
        {"DirAdd", "folder-new"},          {"DirDel", "edit-delete"},
        {"DbCompact", "drive-harddisk"},   {"DbBackup", "document-save-as"},
        {"DocAdd", "document-new"},        {"DocChg", "document-properties"},
        {"DocDel", "edit-delete"},         {"DocExport", "document-send"},
        {"DocFind", "edit-find"},          {"DocPrt", "document-print"},
        {"DocSave", "document-save"},      {"DocCancel", "process-stop"},
        {"Undo", "edit-undo"},             {"Copy", "edit-copy"},
        {"Paste", "edit-paste"},           {"Cut", "edit-cut"},
        {"Find", "edit-find"},             {"Bold", "format-text-bold"},
        {"Picture", "insert-image"},
        {"Italic", "format-text-italic"},  {"Underline", "format-text-underline"},
        {"Bullets", "format-list-unordered"}, {"LeftJustify", "format-justify-left"},
        {"Center", "format-justify-center"}, {"RightJustify", "format-justify-right"},
    };
    // Each picture is looked up once: a lookup in the icon theme walks its
    // folders on disk.
    static QHash<QString, QIcon> made;
    if (const auto found = made.constFind(key); found != made.cend())
        return *found;
    const QIcon icon(new DeferredIconEngine([key] {
        const QIcon fallback = standard.contains(key) ? QApplication::style()->standardIcon(standard.value(key))
                                                      : painted.value(key);
        const QString themeName = themed.value(key);
        return themeName.isEmpty() ? fallback : QIcon::fromTheme(themeName, fallback);
    }));
    made.insert(key, icon);
    return icon;
}

} // namespace folio
