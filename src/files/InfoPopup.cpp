#include "files/InfoPopup.h"

#include "resources/BitmapButton.h"
#include "resources/Fonts.h"
#include "resources/Strings.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

#ifndef ZYN_VERSION
#define ZYN_VERSION "" // built without a version: the panel reads 0.0.0.0
#endif

namespace {

const QColor kFrame(150, 150, 150);
const QColor kPanel(4, 0, 0);
const QColor kTitle(9, 121, 213);
const QColor kRule(24, 62, 101);
const QColor kLabel(133, 210, 217);

void drawTextAt(QPainter& painter, int x, int y, const QString& text)
{
    // Placed by the top-left corner of the text, not by its baseline.
    painter.drawText(QRect(x, y, InfoPopup::kWidth, InfoPopup::kHeight),
        Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, text);
}

// A field of the version as a number, or -1 when it is not one. Each field is one 16-bit
// half of the file version.
int versionField(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return -1;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
    }
    const int value = text.toInt();
    return value <= 0xFFFF ? value : -1;
}

} // namespace

InfoPopup::InfoPopup(QWidget* owner)
    : InfoPopup(owner, QStringLiteral(ZYN_VERSION))
{ }

InfoPopup::InfoPopup(QWidget* owner, const QString& version)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
    , m_versionText(formatVersion(version))
{
    setModal(false);
    setFixedSize(kWidth, kHeight);
    // The panel covers every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);

    m_close = new BitmapButton(1050, this);
    m_close->loadBitmaps(207, 209);
    m_close->setGeometry(320, 0, 45, 23);
    connect(m_close, &BitmapButton::clicked, this, &InfoPopup::onClose);

    renderPanel();
}

InfoPopup::~InfoPopup() = default;

QString InfoPopup::formatVersion(const QString& version)
{
    const QString none = QStringLiteral("0.0.0.0");
    const QStringList parts = version.split(u'.');
    if (version.isEmpty() || parts.size() > 4)
        return none;
    int fields[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const int field = versionField(parts[i]);
        if (field < 0)
            return none;
        fields[i] = field;
    }
    return QString::asprintf("%d.%d.%d.%d", fields[0], fields[1], fields[2], fields[3]);
}

QPoint InfoPopup::placement(const QRect& ownerGeometry)
{
    return ownerGeometry.topLeft() + QPoint(324, 263);
}

void InfoPopup::renderPanel()
{
    m_panel = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_panel);
    painter.fillRect(m_panel.rect(), kFrame);
    painter.fillRect(m_panel.rect().adjusted(1, 1, -1, -1), kPanel);

    painter.setFont(fonts::pointFont(180));
    painter.setPen(kTitle);
    drawTextAt(painter, 16, 9, strings::kInformation);
    painter.fillRect(QRect(11, 39, 350, 2), kRule);

    painter.setFont(fonts::pointFont(140));
    painter.setPen(kLabel);
    drawTextAt(painter, kWidth / 2 - 35, 109, m_versionText);
    drawTextAt(painter, kWidth / 2 - 100, 160, strings::kBrandLine);
}

void InfoPopup::SetVisible(int state)
{
    if (state == m_shownState)
        return;
    m_shownState = m_shownState == 0 ? 5 : 0;
    const bool shown = m_shownState != 0;
    if (shown && parentWidget())
        move(placement(parentWidget()->window()->frameGeometry()));
    QDialog::setVisible(shown);
    if (shown)
        raise();
}

void InfoPopup::onClose()
{
    if (m_shownState != 0)
        SetVisible(0);
}

void InfoPopup::reject()
{
    onClose();
}

void InfoPopup::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.drawImage(dirty, m_panel, dirty);
}

void InfoPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_F4:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void InfoPopup::closeEvent(QCloseEvent* event)
{
    onClose();
    event->accept();
}
