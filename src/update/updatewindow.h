#pragma once

#include <QList>
#include <QPixmap>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace folio {

class UrlOpener;
class VersionSource;

// frmUpdate, "Check New Version": asks the maker's site for the published
// version one second after it opens, shows it beside the running one in
// digit pictures and offers the download page when it is newer. An
// animation runs while it waits. The fetch never blocks the window; closing
// the window cancels it.
class UpdateWindow : public QWidget
{
    Q_OBJECT
public:
    // Whole numbers from 0 to bound - 1; tests script it.
    using RandomSource = std::function<int(int bound)>;

    // `urls` opens the download page in the desktop's browser.
    UpdateWindow(QString runningVersion, std::unique_ptr<VersionSource> source, QUrl downloadPage,
                 std::shared_ptr<UrlOpener> urls, QWidget *parent = nullptr);
    ~UpdateWindow() override;

    void setRandomSource(RandomSource random) { m_random = std::move(random); }

    // Moves the progress fill: 0 starts a new cycle (the finished fill
    // becomes the background, a new fill picture starts at width 1), 1-100
    // sets the fill to that share of the track. Any other value changes
    // nothing and answers true ("out of range").
    bool setProgressPic(int value);
    int progressValue() const { return m_progressValue; }

    // The three timers' work, public so a test can step them.
    void timer1Tick();  // one animation step
    void timer2Tick();  // the check, once
    void timer3Tick();  // blinks the download caption

Q_SIGNALS:
    // "Help" pressed: the manual should open at its first page.
    void helpRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void showFetched(const QByteArray &bytes);
    void showNoInformation();
    void setStatus(const QString &text, quint32 bgr);

    QString m_runningVersion;
    std::unique_ptr<VersionSource> m_source;
    QUrl m_downloadPage;
    std::shared_ptr<UrlOpener> m_urls;
    RandomSource m_random;
    int m_progressValue = 0;
    QList<QPixmap> m_fills;

    QLabel *m_label1;
    QLabel *m_picVer1;
    QLabel *m_picVer2;
    QLabel *m_picture1;
    QLabel *m_progressPic1;
    QLabel *m_progressPic2;
    QPushButton *m_cmdDownload;
    QPlainTextEdit *m_text1;
    QTimer *m_timer1;
    QTimer *m_timer2;
    QTimer *m_timer3;
};

} // namespace folio
