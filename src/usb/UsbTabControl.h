#pragma once

#include <QWidget>

class QTabBar;

// The tool's tab control: tabs along the top over a framed pane. The pages are its children,
// placed by the tool in pageArea(); the control only reports which tab is selected.
class UsbTabControl : public QWidget
{
    Q_OBJECT

public:
    explicit UsbTabControl(QWidget* parent);

    int addTab(const QString& caption);
    int currentIndex() const;
    void setCurrentIndex(int index);
    QTabBar* tabBar() const { return m_bar; }

    // Where a page lies: 5 pixels in from the sides and the bottom, 25 below the top edge, below
    // the tabs.
    QRect pageArea() const;

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar = nullptr;
};
