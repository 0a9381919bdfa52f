// The popup's picture: every change redraws the whole 377 x 380 image off screen, and the
// screen takes the changed area from it.
#include "settings/SettingPopup.h"

#include "resources/Popup.h"
#include "resources/Skin.h"
#include "resources/Strings.h"
#include "settings/DirectoryText.h"
#include "settings/FrameCapture.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

const QColor kText = Qt::white;

QString modeTitle(int mode)
{
    switch (mode) {
    case SettingPopup::Capture:
        return strings::text(151);
    case SettingPopup::FileSaving:
        return strings::text(152);
    case SettingPopup::ViewSettings:
        return strings::text(153);
    default:
        return {};
    }
}

// The speed units' names, 0 km/h, 1 miles per hour, 2 knots; nothing for any other value.
QString unitName(int unit)
{
    return unit >= 0 && unit <= 2 ? strings::text(127 + unit) : QString();
}

void drawCheckBox(QPainter& painter, bool checked, int textId)
{
    painter.drawImage(21, 147, skin::bitmap(checked ? 227 : 226));
    popup::drawText(painter, {54, 150}, strings::text(textId), kText);
}

} // namespace

void SettingPopup::render()
{
    if (m_face.isNull())
        m_face = QImage(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&m_face);
    popup::drawFace(painter, m_face.size(), modeTitle(m_mode), 361);
    switch (m_mode) {
    case Capture:
        renderCaptureMode(painter);
        break;
    case FileSaving:
        renderFolderPart(painter, 1);
        break;
    case ViewSettings:
        renderViewSettings(painter);
        break;
    default:
        break;
    }
}

void SettingPopup::renderFolderPart(QPainter& painter, int folder)
{
    popup::drawText(painter, {21, 51}, strings::text(138), popup::kLabel);
    painter.setPen(popup::kBoxFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(21, 79, 227 - 21, 106 - 79);
    popup::drawText(
        painter, {30, 79}, directory_text::boxText(m_folders.folders[std::size_t(folder)]), kText);
}

void SettingPopup::renderCaptureMode(QPainter& painter)
{
    renderFolderPart(painter, 0);
    drawCheckBox(painter, m_thirtyFrames, 146);
    if (m_capture->isRunning()) {
        // The long line of string 150 takes a smaller size to stay within the popup.
        popup::drawTextCentred(painter, kWidth, 202, strings::text(150), kText, 90);
        const QString progress = QStringLiteral("%1 / %2")
                                     .arg(m_capture->captureCount, 2, 10, QLatin1Char('0'))
                                     .arg(m_capture->captureTotal, 2, 10, QLatin1Char('0'));
        popup::drawText(painter, {162, 242}, progress, kText);
    }
}

void SettingPopup::renderViewSettings(QPainter& painter)
{
    const ViewerSettings& record = m_record.working();
    popup::drawText(painter, {21, 51}, strings::text(154), popup::kLabel);
    popup::drawText(painter, {21, 121}, strings::text(155), popup::kLabel);

    painter.setPen(popup::kBoxFrame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(21, 78, 276 - 21, 103 - 78);
    painter.drawImage(251, 79, skin::bitmap(m_unitListClosed ? 217 : 216));
    popup::drawText(painter, {26, 83}, unitName(record.speedUnit), kText);

    drawCheckBox(painter, record.passwordOn != 0, 139);

    // The open list lies over the password box until a unit is chosen.
    if (!m_unitListClosed) {
        painter.fillRect(QRect(QPoint(21, 104), QPoint(275, 203)), popup::kFace);
        for (int unit = 0; unit < 3; ++unit)
            popup::drawText(painter, {26, 108 + 25 * unit}, unitName(unit), kText);
    }
}

void SettingPopup::repaintArea(const QRect& area)
{
    render();
    update(area);
}

void SettingPopup::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_face, event->rect());
}
