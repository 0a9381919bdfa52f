#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class RecordingCheckList;

// One page of the file selector's tabs: the names of one folder's recordings of one kind as a
// check list, a "Select All" box above it and a counter of checked against listed names.
// The page never reads folders; the file selector fills and empties its list and reads its
// checks. Checks never outlive the page being shown or hidden.
class RecordingListPage : public QWidget
{
    Q_OBJECT

public:
    // The controls' ids differ between the pages; they name the controls' objects.
    struct ControlIds
    {
        int list;
        int selectAll;
        int counter;
    };

    RecordingListPage(ControlIds ids, QWidget* parent);

    RecordingCheckList* list() const { return m_list; }
    QCheckBox* selectAllBox() const { return m_selectAll; }
    QString counterText() const { return m_counterText; }

    // "[ checked / listed ]", each at least three digits.
    void UpdateCounter();
    // Unchecks every name and the "Select All" box.
    void ClearChecks();

    // Showing or hiding the page itself (not as part of its window) clears its checks.
    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void onSelectAll();
    void showCounter(int checked, int listed);

    RecordingCheckList* m_list = nullptr;
    QCheckBox* m_selectAll = nullptr;
    QLabel* m_counter = nullptr;
    QString m_counterText;
};
