#pragma once

#include <QDialog>
#include <QImage>

class BitmapButton;

// The small information panel: the title, the viewer's version and the product's brand line
// on the dark skin, with a close button. Created once, then only shown and hidden; the
// keyboard cannot dismiss it (Enter, Escape and F4 are swallowed), only the close button or
// the window manager's close can, and either leaves it ready to be shown again.
class InfoPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 372;
    static constexpr int kHeight = 254;

    // Shows the version the viewer was built as.
    explicit InfoPopup(QWidget* owner);
    // Shows the given version instead ("1.0.1"); tests use it.
    InfoPopup(QWidget* owner, const QString& version);
    ~InfoPopup() override;

    // 5 shows, 0 hides; a request for the current state does nothing.
    void SetVisible(int state);
    int shownState() const { return m_shownState; }

    QString versionText() const { return m_versionText; }
    // The panel as drawn: what the window shows.
    const QImage& panel() const { return m_panel; }

    // "%d.%d.%d.%d" from a version of up to four dot-separated numbers of 0 to 65535, the
    // missing ones 0 ("1.0.1" reads "1.0.1.0"); "0.0.0.0" for anything else.
    static QString formatVersion(const QString& version);
    // Where the popup goes for an owner with this frame geometry.
    static QPoint placement(const QRect& ownerGeometry);

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void renderPanel();
    void onClose();

    BitmapButton* m_close = nullptr;
    QString m_versionText;
    QImage m_panel;
    int m_shownState = 0;
};
