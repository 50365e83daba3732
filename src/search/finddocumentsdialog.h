#pragma once

#include "storage/documentsearch.h"

#include <QDialog>
#include <QString>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QStatusBar;

namespace folio {

struct AppContext;
class ClickableLabel;
class FindResultList;
class SearchIndexBuilder;

// frmFindDoc, "Find Documents": searches titles and visible texts of the
// documents and/or the folder names for one or two keywords and lists the
// matches; a double click shows the matched document or folder in the main
// window. Modeless; SearchActions keeps at most one.
class FindDocumentsDialog : public QDialog
{
    Q_OBJECT
public:
    FindDocumentsDialog(AppContext &context, SearchIndexBuilder &builder, QWidget *parent = nullptr);

    // FindDocuments: the search with the keywords and options as they stand.
    void findDocuments();
    // 1: BUSY, 0: IDLE; any other value changes nothing.
    void setFindStatus(int state);

private:
    // A search as the controls asked for it.
    struct Search
    {
        SearchRequest request;
        bool documents = false;
        bool folders = false;
    };

    void buildControls();
    void formLoad();
    void cmdFindClicked();
    void openSelected();
    // The keywords and options as they stand; a lone second keyword moves
    // into the first box.
    Search searchFromControls();
    void runSearch(const Search &search);
    void runWaitingSearch();
    void showBuildProgress(qint64 done, qint64 total);
    void buildEnded();
    void updateFindButton();

    AppContext &m_context;
    SearchIndexBuilder &m_builder;
    QLineEdit *m_query1 = nullptr;
    QLineEdit *m_query2 = nullptr;
    QRadioButton *m_and = nullptr;
    QRadioButton *m_or = nullptr;
    QCheckBox *m_documents = nullptr;
    QCheckBox *m_folders = nullptr;
    ClickableLabel *m_find = nullptr;
    FindResultList *m_list = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_statusPicture = nullptr;
    QLabel *m_panels[3] = {};
    QString m_secondsText;       // panel 3 as the last search left it
    bool m_searching = false;
    // The search asked for while the index build runs, made when it ends.
    std::optional<Search> m_waiting;
};

} // namespace folio
