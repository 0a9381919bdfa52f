#include "usb/UsbPageControls.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWheelEvent>

RadioRow::RadioRow(const QStringList& captions, QWidget* parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QRadioButton(captions.at(i), this);
        m_group->addButton(button, i);
        row->addWidget(button);
    }
    row->addStretch(1);
    connect(m_group, &QButtonGroup::idClicked, this, &RadioRow::clicked);
}

int RadioRow::index() const
{
    return m_group->checkedId();
}

void RadioRow::setIndex(int index)
{
    if (QAbstractButton* button = m_group->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; unchecking all needs it lifted for a moment.
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
}

int RadioRow::count() const
{
    return static_cast<int>(m_group->buttons().size());
}

QRadioButton* RadioRow::button(int index) const
{
    return static_cast<QRadioButton*>(m_group->button(index));
}

DropList::DropList(const QStringList& entries, QWidget* parent)
    : QComboBox(parent)
{
    addItems(entries);
    setMaxVisibleItems(12);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // Only a click or Tab gives the list the focus; the wheel alone never does.
    setFocusPolicy(Qt::StrongFocus);
}

void DropList::setSelection(int entry)
{
    setCurrentIndex(entry >= 0 && entry < count() ? entry : -1);
}

void DropList::wheelEvent(QWheelEvent* event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

namespace page_controls {

namespace {

// QGridLayout counts one row even while it is empty.
int nextLine(const QGridLayout* grid)
{
    return grid->count() == 0 ? 0 : grid->rowCount();
}

} // namespace

QGroupBox* addGroup(QVBoxLayout* column, const QString& caption)
{
    auto* group = new QGroupBox(caption);
    column->addWidget(group);
    return group;
}

RadioRow* addRadioGroup(
    QVBoxLayout* column, const QString& caption, const QStringList& buttons, const char* name)
{
    QGroupBox* group = addGroup(column, caption);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(10, 2, 10, 4);
    auto* row = new RadioRow(buttons);
    row->setObjectName(QLatin1String(name));
    layout->addWidget(row);
    return row;
}

QGridLayout* gridOf(QGroupBox* group)
{
    if (auto* grid = qobject_cast<QGridLayout*>(group->layout()))
        return grid;
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(10, 2, 10, 4);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    return grid;
}

RadioRow* addRadioRow(
    QGridLayout* grid, const QString& caption, const QStringList& buttons, const char* name)
{
    const int line = nextLine(grid);
    grid->addWidget(new QLabel(caption), line, 0);
    auto* row = new RadioRow(buttons);
    row->setObjectName(QLatin1String(name));
    grid->addWidget(row, line, 1);
    return row;
}

DropList* addListRow(
    QGridLayout* grid, const QString& caption, const QStringList& entries, const char* name)
{
    const int line = nextLine(grid);
    grid->addWidget(new QLabel(caption), line, 0);
    auto* list = new DropList(entries);
    list->setObjectName(QLatin1String(name));
    grid->addWidget(list, line, 1, Qt::AlignLeft);
    return list;
}

QPushButton* addSaveButton(QVBoxLayout* column, int id)
{
    auto* save = new QPushButton(QStringLiteral("Save"));
    save->setObjectName(QString::number(id));
    noDefault(save);
    save->setMinimumWidth(80);
    column->addWidget(save, 0, Qt::AlignRight);
    return save;
}

void noDefault(QPushButton* button)
{
    button->setAutoDefault(false);
    button->setDefault(false);
}

} // namespace page_controls
