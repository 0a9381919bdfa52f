#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class BitmapButton;

// The small popup in which the user picks the card that receives the recorder settings file
// and confirms the write (template 111). Its owner, the settings popup, writes the file when
// it receives UM_WRITE_DEVICE_FILE.
class SettingSavePopup : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 377;
    static constexpr int kHeight = 254;

    explicit SettingSavePopup(QWidget* parent = nullptr);
    ~SettingSavePopup() override;

    // Moves the popup to (x + 324, y + 263), 377 x 254, and arranges its buttons.
    void place(int x, int y);
    void setOwner(QObject* owner);
    void SetVisible(int state);
    int shownState() const { return m_shownState; }

    // The card's root that receives the file; the configuration load appends its stored text.
    const QString& saveDirectory() const { return m_saveDirectory; }
    void appendSaveDirectory(const QString& text);
    void setSaveDirectory(const QString& directory);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void bindMessageMap();
    void arrangeButtons();
    void drawFace();
    void onSelectDirectory();
    void onOk();
    void onClose();

    QString m_saveDirectory;
    QPointer<QObject> m_owner;
    int m_shownState = 0;
    QImage m_face;
    BitmapButton* m_closeBox = nullptr;
    BitmapButton* m_ok = nullptr;
    BitmapButton* m_exit = nullptr;
    BitmapButton* m_selectDirectory = nullptr;
};
