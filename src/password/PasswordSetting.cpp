#include "password/PasswordSetting.h"

#include "platform/Dialogs.h"
#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Popup.h"
#include "resources/Strings.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

namespace {

QLineEdit* makeEntry(int id, QWidget* parent)
{
    auto* entry = new QLineEdit(parent);
    entry->setObjectName(QString::number(id));
    entry->setEchoMode(QLineEdit::Password);
    entry->setFrame(false);
    entry->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), entry));
    QPalette palette = entry->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, Qt::black);
        palette.setColor(group, QPalette::Text, Qt::white);
    }
    entry->setPalette(palette);
    return entry;
}

} // namespace

PasswordSetting::PasswordSetting(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("112"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(kWidth, kHeight);
    drawPanel();
    createControls();
    bindMessageMap();
}

PasswordSetting::~PasswordSetting() = default;

void PasswordSetting::createControls()
{
    m_close = new BitmapButton(1066, this);
    m_ok = new BitmapButton(1067, this);
    m_newPassword = makeEntry(1068, this);
    m_confirm = makeEntry(1069, this);
    setUpControls();
}

void PasswordSetting::bindMessageMap()
{
    connect(m_close, &BitmapButton::clicked, this, &PasswordSetting::onClose);
    connect(m_ok, &BitmapButton::clicked, this, &PasswordSetting::onOk);
    m_newPassword->installEventFilter(this);
    m_confirm->installEventFilter(this);
}

void PasswordSetting::setOwner(QObject* owner)
{
    m_owner = owner;
}

void PasswordSetting::place(const QRect& mainOrigin)
{
    m_placement = mainOrigin;
    setGeometry(mainOrigin.left() + 374, mainOrigin.top() + 220, kWidth, kHeight);
    SetVisible(popup::kShown);
    raise();
    activateWindow();
    setUpControls();
}

void PasswordSetting::SetVisible(int state)
{
    if (state == m_shownState)
        return;
    m_shownState = state;
    setVisible(state == popup::kShown);
}

void PasswordSetting::setUpControls()
{
    m_close->loadBitmaps(207, 209);
    m_close->setGeometry(220, 0, 45, 23);
    m_ok->loadBitmaps(210, 212);
    m_ok->setGeometry(93, 287, 86, 29);
    for (QLineEdit* entry : {m_newPassword, m_confirm}) {
        entry->setFont(fonts::pixelFont(18));
        entry->setMaxLength(kDigits);
    }
    m_newPassword->setGeometry(88, 117, 96, 18);
    m_confirm->setGeometry(88, 187, 96, 18);
    m_newPassword->setFocus(Qt::OtherFocusReason);
}

void PasswordSetting::drawPanel()
{
    m_panel = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_panel);
    popup::drawFace(painter, m_panel.size(), strings::kPasswordPanelTitle, 261);
    popup::drawTextCentred(painter, kWidth, 75, strings::kNewPassword, popup::kLabel, 140);
    popup::drawTextCentred(painter, kWidth, 140, strings::kConfirmPassword, popup::kLabel, 140);
    painter.setPen(popup::kBoxFrame);
    painter.drawRect(83, 109, 189 - 83, 136 - 109);
    painter.drawRect(83, 179, 189 - 83, 206 - 179);
}

void PasswordSetting::onOk()
{
    const QString entered = m_newPassword->text();
    const QString confirmed = m_confirm->text();
    m_newPassword->clear();
    m_confirm->clear();
    const int number = entered.isEmpty() ? 0 : entered.toInt();

    // A shorter password would be stored with leading zeros ("42" as "0042") while the user
    // remembers the short one, and the next start would end the viewer at it: ask again.
    if (entered == confirmed && !entered.isEmpty() && entered.size() < kDigits) {
        platform::messageBox(strings::kPasswordFourDigits, {}, platform::Buttons::Ok, this);
        m_newPassword->setFocus(Qt::OtherFocusReason);
        return;
    }

    if (m_shownState == popup::kShown)
        SetVisible(popup::kHidden);
    if (entered == confirmed && !entered.isEmpty())
        sendResult(platform::WParam(number), 1);
    else if (entered.size() == kDigits && confirmed.size() == kDigits)
        sendResult(1, 0);
    else
        sendResult(0, 0);
}

void PasswordSetting::onClose()
{
    m_newPassword->clear();
    m_confirm->clear();
    sendResult(0, 0);
    if (m_shownState == popup::kShown)
        SetVisible(popup::kHidden);
}

void PasswordSetting::sendResult(platform::WParam wParam, platform::LParam lParam)
{
    if (m_owner)
        platform::sendMessage(m_owner, platform::UM_PASSWORD_RESULT, wParam, lParam);
}

void PasswordSetting::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_panel);
}

void PasswordSetting::keyPressEvent(QKeyEvent* event)
{
    if (popup::closesDialog(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PasswordSetting::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (popup::closesDialog(key)) {
            if (watched == m_confirm && popup::isEnter(key))
                onOk();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PasswordSetting::closeEvent(QCloseEvent* event)
{
    // A close from the window manager is the panel's own close, so the owner hears of it and
    // shownState stays true to the window.
    event->ignore();
    onClose();
}
