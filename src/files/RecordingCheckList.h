#pragma once

#include <QColor>
#include <QListWidget>

// A list of names with a check box in front of each, over an extended selection.
//
// The user changes checks two ways, and both act on the selection as a whole: a click on an
// item's box toggles that item, and when the item is one of the selected ones every selected
// item takes the same new state; Space does the same for the item under the caret. After each
// such change checkChanged() is emitted. Checks set by code (setChecked, setAllChecked) emit
// nothing, so the owner can reset the list without hearing back from it.
class RecordingCheckList : public QListWidget
{
    Q_OBJECT

public:
    explicit RecordingCheckList(QWidget* parent = nullptr);

    // The folder the names are in: rows on show whose recording the camera never closed get a
    // colour of their own and the reason as their tooltip, found out when first shown.
    void setFolder(const QString& folder) { m_folder = folder; }
    void appendNames(const QStringList& names);
    static const QColor kRecoverableColour;
    QString name(int row) const;

    bool isChecked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    int checkedCount() const;

    // Where the box of a row is drawn, in viewport coordinates.
    QRect checkBoxRect(int row) const;

signals:
    void checkChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void markRecoverableRows();
    // Toggles the row and, when includeSelection, sets every selected row to its new state.
    void toggleWithSelection(int row, bool includeSelection);

    QString m_folder;
};
