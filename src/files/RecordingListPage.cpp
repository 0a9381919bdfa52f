#include "files/RecordingListPage.h"

#include "files/RecordingCheckList.h"
#include "resources/Strings.h"

#include <QCheckBox>
#include <QLabel>

namespace {

// The page's own layout, in pixels: the box and the counter share a strip above the list.
constexpr int kStrip = 28;
constexpr int kMargin = 6;

} // namespace

RecordingListPage::RecordingListPage(ControlIds ids, QWidget* parent)
    : QWidget(parent)
{
    m_list = new RecordingCheckList(this);
    m_list->setObjectName(QString::number(ids.list));
    m_selectAll = new QCheckBox(strings::kSelectAll, this);
    m_selectAll->setObjectName(QString::number(ids.selectAll));
    m_counter = new QLabel(this);
    m_counter->setObjectName(QString::number(ids.counter));
    m_counter->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    connect(m_list, &RecordingCheckList::checkChanged, this, &RecordingListPage::UpdateCounter);
    connect(m_selectAll, &QCheckBox::clicked, this, &RecordingListPage::onSelectAll);

    UpdateCounter();
}

void RecordingListPage::UpdateCounter()
{
    showCounter(m_list->checkedCount(), m_list->count());
}

void RecordingListPage::showCounter(int checked, int listed)
{
    m_counterText = QString::asprintf("[ %03d / %03d ]", checked, listed);
    m_counter->setText(m_counterText);
}

void RecordingListPage::onSelectAll()
{
    const bool all = m_selectAll->isChecked();
    m_list->setAllChecked(all);
    showCounter(all ? m_list->count() : 0, m_list->count());
}

void RecordingListPage::ClearChecks()
{
    m_list->setAllChecked(false);
    m_selectAll->setChecked(false);
    UpdateCounter();
}

void RecordingListPage::setVisible(bool visible)
{
    QWidget::setVisible(visible);
    ClearChecks();
}

void RecordingListPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    m_selectAll->setGeometry(kMargin, 4, w / 2 - kMargin, kStrip - 8);
    m_counter->setGeometry(w / 2, 4, w / 2 - kMargin, kStrip - 8);
    m_list->setGeometry(0, kStrip, w, height() - kStrip);
}
