#pragma once

#include <QComboBox>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

// A row of radio buttons of which at most one is checked, as a radio group of the USB tool's
// pages: the checked button's index, -1 while none is.
class RadioRow : public QWidget
{
    Q_OBJECT

public:
    explicit RadioRow(const QStringList& captions, QWidget* parent = nullptr);

    int index() const;
    // An index without a button (a stored value the page cannot show) checks none.
    void setIndex(int index);
    int count() const;
    QRadioButton* button(int index) const;

signals:
    // A button was clicked by the user (not when setIndex changes the row).
    void clicked(int index);

private:
    QButtonGroup* m_group = nullptr;
};

// A drop-down list of fixed entries. It takes the mouse wheel only while it has the focus: over
// an unfocused list the wheel goes on to the page, which scrolls, instead of changing a value
// the user only passed over.
class DropList : public QComboBox
{
    Q_OBJECT

public:
    explicit DropList(const QStringList& entries, QWidget* parent = nullptr);

    // An entry the list does not have (a stored value out of range) selects none.
    void setSelection(int entry);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

// Building blocks of the pages: a captioned group appended to a page's column, its rows, and
// the page's Save button. Object names let tests find each control by its record field.
namespace page_controls {

QGroupBox* addGroup(QVBoxLayout* column, const QString& caption);
// A group whose rows carry no captions of their own: one row of buttons filling it.
RadioRow* addRadioGroup(
    QVBoxLayout* column, const QString& caption, const QStringList& buttons, const char* name);
// A captioned row inside a group laid out as a grid ("1) Time" | Off On).
RadioRow* addRadioRow(
    QGridLayout* grid, const QString& caption, const QStringList& buttons, const char* name);
DropList* addListRow(
    QGridLayout* grid, const QString& caption, const QStringList& entries, const char* name);
QGridLayout* gridOf(QGroupBox* group);
// The page's Save button, right-aligned at the end of the column. Enter never presses it.
QPushButton* addSaveButton(QVBoxLayout* column, int id);
// Buttons of the tool never act on Enter: a stray key must not send or save anything.
void noDefault(QPushButton* button);

} // namespace page_controls
