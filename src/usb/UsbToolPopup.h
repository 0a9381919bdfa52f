#pragma once

#include "platform/Library.h"
#include "usb/DeviceConfig.h"

#include <QDialog>
#include <QPoint>

#include <array>
#include <memory>

class QPushButton;
class UsbTabControl;
class UsbTabPage;
class UsbTransmission;

// "USB Management Tool": six pages over the process-wide DeviceConfig, each with its own Save,
// and "Data Transmission", which exchanges the record with the recorder and stores the result
// in the registry. A top-level window of its own, centred on the desktop when created; closing
// it only hides it, so the pages keep what the user entered until the tool is shown again.
//
// The main window's USB button (1008) creates it on first use and shows it every time:
//     UsbToolPopup::showOnRequest(m_usbTool, this); // std::unique_ptr<UsbToolPopup> m_usbTool
// The main window owns it (as a window of its own, standing in front of it): the main window
// runs modally, and a window it does not own would take no input while it runs.
class UsbToolPopup : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kWidth = 427;
    static constexpr int kHeight = 435;
    static constexpr int kTabControlId = 1097;
    static constexpr int kTransmitId = 1;
    static constexpr int kCancelId = 2;
    enum Page : int { Recorder, RecSet, Viewer, Display, Setting, Etc, PageCount };

    // Loads the record from the registry into config and builds the pages from it; hidden until
    // SetVisible(5). Tests name the USB library and their own record.
    explicit UsbToolPopup(const QString& usbLibraryFile = platform::Library::usbLibraryFile(),
        DeviceConfig& config = DeviceConfig::instance(), QWidget* owner = nullptr);
    ~UsbToolPopup() override;

    static void showOnRequest(std::unique_ptr<UsbToolPopup>& tool, QWidget* owner = nullptr);

    // 5 shows the tool, 0 hides it; a request for the state it is in changes nothing.
    void SetVisible(int state);
    int shownState() const { return m_shownState; }

    UsbTabPage* page(int index) const;
    int currentPage() const { return m_current; }
    bool isTransmitting() const;

signals:
    // A data transmission has ended: the record is stored and the user told of any failure.
    void transmissionDone(int result);

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void createControls();
    void bindMessageMap();
    void onTabChanged(int index);
    void onDataTransmission();
    void onTransmitted(int result, const DeviceConfig& exchanged);
    void setBusy(bool busy);

    DeviceConfig& m_config;
    UsbTransmission* m_transmission = nullptr;
    UsbTabControl* m_tabs = nullptr;
    QPushButton* m_transmit = nullptr;
    QPushButton* m_cancel = nullptr;
    std::array<UsbTabPage*, PageCount> m_pages{};
    int m_current = Recorder;
    int m_shownState = 0;
    bool m_dragging = false;
    QPoint m_dragFrom;
};
