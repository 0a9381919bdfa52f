// The popup's mouse rules: the 30-frame box of the capture mode, and the speed-unit list, the
// level control and the password box of the view settings.
#include "settings/SettingPopup.h"

#include "password/PasswordSetting.h"
#include "resources/Popup.h"

#include <QApplication>
#include <QMouseEvent>

namespace {

// Hit areas are given as left, top, right, bottom with the right and bottom edges outside.
QRect area(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

const QRect kCheckBox = area(21, 147, 46, 172);
const QRect kUnitArrow = area(251, 79, 276, 104);
const QRect kUnitList = area(21, 104, 506, 204);

} // namespace

void SettingPopup::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_levelDragging) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (m_mode == Capture)
        pressInCaptureMode(point);
    else if (m_mode == ViewSettings)
        pressInViewSettings(point);
}

void SettingPopup::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click has already come as a press of its own; taking the
    // double click as one more would flip a box or the list back at once.
    event->accept();
}

void SettingPopup::pressInCaptureMode(const QPoint& point)
{
    // The run keeps the choice it started with; the box waits for it to end.
    if (captureRunning() || !kCheckBox.contains(point))
        return;
    m_thirtyFrames = !m_thirtyFrames;
    repaintArea(kCheckBox);
}

void SettingPopup::pressInViewSettings(const QPoint& point)
{
    const int position = m_record.levelPosition();
    // The level control has no picture; its hit box rides on the speed-unit box, so the arrow
    // and the open list are tested before it, or a level near the right end would hide the
    // arrow.
    if (kUnitArrow.contains(point)) {
        m_unitListClosed = !m_unitListClosed;
    } else if (!m_unitListClosed && kUnitList.contains(point)) {
        const int y = point.y();
        const int unit = y < 179 ? (y - 78) / 25 - 1 : 2;
        if (unit < 0 || unit > 2)
            return;
        m_record.working().speedUnit = unit;
        m_unitListClosed = true;
    } else if (area(position + 26, 84, position + 59, 104).contains(point)) {
        m_levelDragging = true;
        m_levelMoved = false;
        m_levelPress = point;
        m_levelPressPosition = position;
        return;
    } else if (kCheckBox.contains(point)) {
        togglePasswordProtection();
    }
    repaintArea(area(21, 79, kWidth, 205));
}

void SettingPopup::togglePasswordProtection()
{
    ViewerSettings& record = m_record.working();
    record.passwordOn = record.passwordOn != 0 ? 0 : 1;
    if (record.passwordOn == 1) {
        m_passwordPanel->setOwner(this);
        m_passwordPanel->SetVisible(popup::kShown);
        m_passwordPanel->place(currentOrigin());
    } else {
        m_passwordPanel->SetVisible(popup::kHidden);
    }
}

void SettingPopup::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_levelDragging || m_mode != ViewSettings) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    // A press alone, or a hand that trembles, leaves the level as it was; once the mouse has
    // really moved, the control follows it from where it was taken.
    if (!m_levelMoved) {
        if ((point - m_levelPress).manhattanLength() < QApplication::startDragDistance())
            return;
        m_levelMoved = true;
    }
    m_record.dragLevelTo(m_levelPressPosition + 37 + point.x() - m_levelPress.x());
    repaintArea(area(23, 84, 278, 104));
}

void SettingPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_levelDragging || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (m_mode == ViewSettings) {
        m_levelDragging = false;
        m_levelMoved = false;
    }
}
