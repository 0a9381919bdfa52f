#pragma once

#include "platform/AppMessage.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWidget>

class BitmapButton;
class QLineEdit;

// The panel in which a new start-up password is typed twice (template 112). It answers its
// owner with UM_PASSWORD_RESULT: (n, 1) for a confirmed password n, (1, 0) for two four-digit
// entries that differ, (0, 0) for anything else and for close.
class PasswordSetting : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kWidth = 272;
    static constexpr int kHeight = 340;
    static constexpr int kDigits = 4;

    explicit PasswordSetting(QWidget* parent = nullptr);
    ~PasswordSetting() override;

    // The window that receives UM_PASSWORD_RESULT.
    void setOwner(QObject* owner);
    // Placement from the main window's rectangle (left, top, right, bottom): topmost at
    // (left + 374, top + 220), shown, its controls set up and the new-password entry focused.
    void place(const QRect& mainOrigin);
    void SetVisible(int state);
    int shownState() const { return m_shownState; }

    // Button 1067 (and Enter in the confirm entry), and button 1066. Close is also what the
    // settings popup does to an open panel when it closes itself.
    void onOk();
    void onClose();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void bindMessageMap();
    void setUpControls();
    void drawPanel();
    void sendResult(platform::WParam wParam, platform::LParam lParam);

    int m_shownState = 0;
    QImage m_panel;
    BitmapButton* m_close = nullptr;
    BitmapButton* m_ok = nullptr;
    QLineEdit* m_newPassword = nullptr;
    QLineEdit* m_confirm = nullptr;
    QRect m_placement;
    QPointer<QObject> m_owner;
};
