// The lock: the 440 x 300 password screen, the check of the typed password, and the opening
// into the full window.
#include "viewer/CKOB_PCMgrDlg.h"

#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "settings/SettingPopup.h"
#include "viewer/UnlockAnimation.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace {

const QPoint kAnimationAt(272, 192);

// Compared as the stored password's C text over at most four characters: a shorter entry
// matches only an equally short stored password.
bool passwordMatches(const QByteArray& entry, const QByteArray& stored)
{
    for (qsizetype i = 0; i < 4; ++i) {
        const char typed = i < entry.size() ? entry.at(i) : '\0';
        const char kept = i < stored.size() ? stored.at(i) : '\0';
        if (typed != kept)
            return false;
        if (typed == '\0')
            return true;
    }
    return true;
}

QImage fallback(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(4, 0, 0));
    return image;
}

QImage skinOr(int id, QSize size)
{
    const QImage& image = skin::bitmap(id);
    return image.isNull() ? fallback(size) : image;
}

} // namespace

bool CKOB_PCMgrDlg::unlocking() const
{
    return m_unlockAnimation && m_unlockAnimation->isRunning();
}

void CKOB_PCMgrDlg::showLock()
{
    m_unlocked = false;
    m_buffer.setBackground(skinOr(129, {kLockedWidth, kLockedHeight}));
    setFixedSize(kLockedWidth, kLockedHeight);

    m_passwordEdit->setFont(fonts::pixelFont(18));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_passwordEdit->setFrame(false);
    m_passwordEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), m_passwordEdit));
    QPalette palette = m_passwordEdit->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::black);
        palette.setColor(group, QPalette::Text, Qt::white);
    }
    m_passwordEdit->setPalette(palette);
    m_passwordEdit->setGeometry(165, 204, 95, 18);
    m_passwordEdit->setMaxLength(4);
    m_passwordEdit->show();
    m_passwordEdit->setFocus(Qt::OtherFocusReason);
    m_passwordOk->show();
    m_close->move(390, 1);
    for (BitmapButton* button : m_unlockedButtons)
        button->hide();
    drawLock();
}

void CKOB_PCMgrDlg::showUnlocked()
{
    m_buffer.setBackground(skinOr(130, {kWidth, kHeight}));
    setFixedSize(kWidth, kHeight);
    setGeometry(0, 0, kWidth, kHeight);
    m_mainRect = QRect(0, 0, kWidth, kHeight);
    m_settings->setMainOrigin(m_mainRect);
    m_close->move(970, 1);
    m_passwordEdit->hide();
    m_passwordOk->hide();
    for (BitmapButton* button : m_unlockedButtons)
        button->show();
    m_unlocked = true;
    m_buffer.invalidate(rect());
    flush();
    scheduleArchiveWork();
}

void CKOB_PCMgrDlg::drawLock()
{
    m_buffer.restore(QRect(0, 0, kLockedWidth, kLockedHeight));
    QPainter painter(&m_buffer.image());
    painter.setFont(fonts::pointFont(140, m_scale));
    painter.setPen(Qt::white);
    painter.drawText(QRect(80, 200, 80, 30), Qt::AlignLeft | Qt::AlignTop, strings::text(130));
    painter.setPen(QColor(0x82, 0x82, 0x82));
    painter.drawLine(160, 198, 266, 198);
    painter.drawLine(160, 198, 160, 225);
    painter.drawLine(266, 198, 266, 225);
    painter.drawLine(160, 225, 266, 225);
    m_buffer.invalidate(QRect(0, 0, kLockedWidth, kLockedHeight));
    flush();
}

void CKOB_PCMgrDlg::onPasswordCheck()
{
    if (m_unlocked || unlocking())
        return;
    if (!passwordMatches(m_passwordEdit->text().toLocal8Bit(), m_storedPassword)) {
        // A wrong password ends the viewer without a word, as closing it does.
        accept();
        return;
    }
    m_unlocked = true;
    m_passwordOk->hide();
    // Nothing is taken from the user while the lock opens.
    setEnabled(false);
    m_unlockAnimation->start();
}

void CKOB_PCMgrDlg::onUnlockPicture(const QImage& picture)
{
    QPainter painter(&m_buffer.image());
    painter.drawImage(kAnimationAt, picture);
    m_buffer.invalidate(QRect(kAnimationAt, QSize(40, 40)));
    flush();
}

void CKOB_PCMgrDlg::onUnlocked()
{
    m_passwordEdit->hide();
    m_buffer.setBackground(skinOr(130, {kWidth, kHeight}));
    m_panel.forgetShown();
    setFixedSize(kWidth, kHeight);
    setGeometry(0, 0, kWidth, kHeight);
    raise();
    m_mainRect = QRect(0, 0, kWidth, kHeight);
    m_settings->setMainOrigin(m_mainRect);
    m_close->move(970, 1);
    for (BitmapButton* button : m_unlockedButtons)
        button->show();
    setEnabled(true);
    activateWindow();
    // The keys are the window's own from here on.
    setFocus(Qt::OtherFocusReason);
    m_buffer.invalidate(rect());
    flush();
    startGivenRecording();
    scheduleArchiveWork();
}

bool CKOB_PCMgrDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_passwordEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            onPasswordCheck();
            return true;
        }
        if (key->key() == Qt::Key_Escape)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}
