#pragma once

#include <QFont>
#include <QString>
#include <QUrl>
#include <QtGlobal>
#include <memory>
#include <optional>

class QWidget;

namespace folio {

class DocumentPrinter;

// Every question the program asks in a blocking dialog goes through one of
// these interfaces, gathered in Prompts, so a test answers instead of a
// person and no test ever waits on a dialog.

// Colours are 0x00BBGGRR numbers. Nothing when the user cancelled.
class ColorChooser
{
public:
    virtual ~ColorChooser() = default;
    virtual std::optional<quint32> chooseColor(quint32 initial, QWidget *parent) = 0;
};

class FontChooser
{
public:
    virtual ~FontChooser() = default;
    virtual std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent) = 0;
};

// Hands an address to the desktop (the default browser).
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void openUrl(const QUrl &url) = 0;
};

// Asks where to save a file: the full path chosen, or nothing when cancelled.
// `filters[selectedFilter]` is the one selected at the start; a name that
// does not exist yet can be typed.
class SaveFilePrompt
{
public:
    virtual ~SaveFilePrompt() = default;
    virtual std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                                const QStringList &filters, int selectedFilter,
                                                QWidget *parent) = 0;
};

// Asks for an existing file to open: its full path, or nothing when cancelled.
class OpenFilePrompt
{
public:
    virtual ~OpenFilePrompt() = default;
    virtual std::optional<QString> openFileName(const QString &title, const QStringList &filters,
                                                QWidget *parent) = 0;
};

// Asks for an existing folder: its full path, or nothing when cancelled.
class FolderPrompt
{
public:
    virtual ~FolderPrompt() = default;
    virtual std::optional<QString> chooseFolder(const QString &title, const QString &start, QWidget *parent) = 0;
};

struct Prompts
{
    std::shared_ptr<ColorChooser> color;
    std::shared_ptr<FontChooser> font;
    // Printing lives with the editor (documentprint.h); null: the print dialog.
    std::shared_ptr<DocumentPrinter> printer;
    std::shared_ptr<UrlOpener> urls;
    std::shared_ptr<SaveFilePrompt> saveFile;
    std::shared_ptr<OpenFilePrompt> openFile;
    std::shared_ptr<FolderPrompt> folder;

    // The desktop's own dialogs and browser (printing: see `printer`).
    static Prompts desktop();
};

} // namespace folio
