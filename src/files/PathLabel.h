#pragma once

#include <QLabel>

// A framed one-line text for a folder path: when the path is wider than the label its middle
// gives way to an ellipsis, so the drive and the last folder stay readable. The whole path is
// kept and shown as the tool tip.
class PathLabel : public QLabel
{
    Q_OBJECT

public:
    explicit PathLabel(QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const { return m_path; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showElided();

    QString m_path;
};
