#include "files/PathLabel.h"

#include <QDir>

PathLabel::PathLabel(QWidget* parent)
    : QLabel(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMargin(2);
}

void PathLabel::setPath(const QString& path)
{
    m_path = QDir::toNativeSeparators(path);
    setToolTip(m_path);
    showElided();
}

void PathLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showElided();
}

void PathLabel::showElided()
{
    const int room = contentsRect().width() - 2 * margin();
    setText(fontMetrics().elidedText(m_path, Qt::ElideMiddle, qMax(room, 0)));
}
