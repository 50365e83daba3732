#include "widgets/prompts.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>

namespace folio {

namespace {

class DialogColorChooser : public ColorChooser
{
public:
    std::optional<quint32> chooseColor(quint32 initial, QWidget *parent) override
    {
        const QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
        const QColor chosen = QColorDialog::getColor(start, parent, QStringLiteral("Fore Color"));
        if (!chosen.isValid())
            return std::nullopt;
        return quint32(chosen.red()) | quint32(chosen.green()) << 8 | quint32(chosen.blue()) << 16;
    }
};

class DialogFontChooser : public FontChooser
{
public:
    std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent) override
    {
        bool chosen = false;
        const QFont font = QFontDialog::getFont(&chosen, initial, parent);
        if (!chosen)
            return std::nullopt;
        return font;
    }
};

class DesktopUrlOpener : public UrlOpener
{
public:
    void openUrl(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

class DialogSaveFilePrompt : public SaveFilePrompt
{
public:
    std::optional<QString> saveFileName(const QString &title, const QString &suggestedPath,
                                        const QStringList &filters, int selectedFilter, QWidget *parent) override
    {
        QFileDialog dialog(parent, title, suggestedPath);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(filters);
        if (selectedFilter >= 0 && selectedFilter < filters.size())
            dialog.selectNameFilter(filters.at(selectedFilter));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

class DialogOpenFilePrompt : public OpenFilePrompt
{
public:
    std::optional<QString> openFileName(const QString &title, const QStringList &filters, QWidget *parent) override
    {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(filters);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

class DialogFolderPrompt : public FolderPrompt
{
public:
    std::optional<QString> chooseFolder(const QString &title, const QString &start, QWidget *parent) override
    {
        const QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
        if (chosen.isEmpty())
            return std::nullopt;
        return chosen;
    }
};

} // namespace

Prompts Prompts::desktop()
{
    return Prompts{std::make_shared<DialogColorChooser>(), std::make_shared<DialogFontChooser>(),
                   nullptr, std::make_shared<DesktopUrlOpener>(),
                   std::make_shared<DialogSaveFilePrompt>(), std::make_shared<DialogOpenFilePrompt>(),
                   std::make_shared<DialogFolderPrompt>()};
}

} // namespace folio
