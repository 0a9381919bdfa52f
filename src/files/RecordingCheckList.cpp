#include "files/RecordingCheckList.h"

#include "recording/RecordingCheck.h"
#include "resources/Strings.h"

#include <QDir>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

// Set once a row's recording has been looked at: whether the camera closed it.
constexpr int kRecoverableKnownRole = Qt::UserRole + 1;

} // namespace

const QColor RecordingCheckList::kRecoverableColour(0xC0, 0x60, 0x00);

RecordingCheckList::RecordingCheckList(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideMiddle);
    setFrameShape(QFrame::Box);
    setFocusPolicy(Qt::StrongFocus);
}

void RecordingCheckList::appendNames(const QStringList& names)
{
    // Not user-checkable: the delegate must not toggle a box on its own, the rules below do.
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    setUpdatesEnabled(false);
    for (const QString& name : names) {
        auto* item = new QListWidgetItem(name);
        item->setFlags(flags);
        item->setData(Qt::CheckStateRole, Qt::Unchecked);
        addItem(item);
    }
    setUpdatesEnabled(true);
}

QString RecordingCheckList::name(int row) const
{
    const QListWidgetItem* it = item(row);
    return it ? it->text() : QString();
}

bool RecordingCheckList::isChecked(int row) const
{
    const QListWidgetItem* it = item(row);
    return it && it->data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

void RecordingCheckList::setChecked(int row, bool checked)
{
    QListWidgetItem* it = item(row);
    if (it && isChecked(row) != checked)
        it->setData(Qt::CheckStateRole, checked ? Qt::Checked : Qt::Unchecked);
}

void RecordingCheckList::setAllChecked(bool checked)
{
    for (int row = 0; row < count(); ++row)
        setChecked(row, checked);
}

int RecordingCheckList::checkedCount() const
{
    int checked = 0;
    for (int row = 0; row < count(); ++row)
        checked += isChecked(row) ? 1 : 0;
    return checked;
}

QRect RecordingCheckList::checkBoxRect(int row) const
{
    const QListWidgetItem* it = item(row);
    if (!it)
        return {};
    QStyleOptionViewItem option;
    const_cast<RecordingCheckList*>(this)->initViewItemOption(&option);
    option.rect = visualItemRect(it);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.checkState = isChecked(row) ? Qt::Checked : Qt::Unchecked;
    option.text = it->text();
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void RecordingCheckList::toggleWithSelection(int row, bool includeSelection)
{
    const bool checked = !isChecked(row);
    setChecked(row, checked);
    if (includeSelection) {
        for (const QModelIndex& selected : selectionModel()->selectedIndexes())
            setChecked(selected.row(), checked);
    }
}

void RecordingCheckList::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (event->button() != Qt::LeftButton || !index.isValid()
        || !checkBoxRect(index.row()).contains(pos)) {
        QListWidget::mousePressEvent(event);
        return;
    }
    const int row = index.row();
    const bool selected = item(row)->isSelected();
    toggleWithSelection(row, selected);
    if (selected)
        setFocus(Qt::MouseFocusReason);
    else
        QListWidget::mousePressEvent(event); // an unselected row is also selected, as any click
    emit checkChanged();
}

void RecordingCheckList::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click on a box toggles again, as two single clicks would.
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (event->button() == Qt::LeftButton && index.isValid()
        && checkBoxRect(index.row()).contains(pos)) {
        mousePressEvent(event);
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

void RecordingCheckList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier) {
        QListWidget::keyPressEvent(event);
        return;
    }
    // The caret can stand on an unselected row (Ctrl+click, Ctrl+arrows): that row alone.
    const int row = currentRow();
    if (row >= 0) {
        toggleWithSelection(row, item(row)->isSelected());
        emit checkChanged();
    }
    event->accept();
}

void RecordingCheckList::paintEvent(QPaintEvent* event)
{
    markRecoverableRows();
    QListWidget::paintEvent(event);
}

void RecordingCheckList::markRecoverableRows()
{
    // Only the rows on show: a card's folder may list thousands, and each look reads its file.
    if (m_folder.isEmpty() || count() == 0)
        return;
    const QModelIndex top = indexAt(QPoint(0, 0));
    for (int row = top.isValid() ? top.row() : 0; row < count(); ++row) {
        QListWidgetItem* it = item(row);
        if (visualItemRect(it).top() > viewport()->height())
            break;
        if (it->data(kRecoverableKnownRole).isValid())
            continue;
        const bool recoverable = recording::isRecoverable(QDir(m_folder).filePath(it->text()));
        it->setData(kRecoverableKnownRole, recoverable);
        if (recoverable) {
            it->setForeground(kRecoverableColour);
            it->setToolTip(strings::kReasonNotClosed);
        }
    }
}
