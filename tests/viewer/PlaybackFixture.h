#pragma once

#include "ViewerFixture.h"

#include "files/FilesOpenPopup.h"
#include "files/RecordingCheckList.h"
#include "files/RecordingListPage.h"
#include "platform/AppMessage.h"
#include "player/PVEXAdap.h"
#include "player/PVEXState.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <mutex>
#include <string>
#include <vector>

// What the adapter hands the player library, in order: the window's commands as the library
// receives them. The log stands between the adapter and the library's command export.
class CommandLog
{
public:
    static void attach(PVEXAdap* adapter)
    {
        std::lock_guard lock(s_mutex);
        if (adapter->command.load() != &record) {
            s_library = adapter->command.load();
            adapter->command = &record;
        }
        s_sent.clear();
    }
    static std::vector<std::string> sent()
    {
        std::lock_guard lock(s_mutex);
        return s_sent;
    }
    static void clear()
    {
        std::lock_guard lock(s_mutex);
        s_sent.clear();
    }
    // Commands starting with the text.
    static std::vector<std::string> starting(const std::string& text)
    {
        std::vector<std::string> found;
        for (const std::string& line : sent()) {
            if (line.rfind(text, 0) == 0)
                found.push_back(line);
        }
        return found;
    }
    static std::string last(const std::string& text)
    {
        const std::vector<std::string> found = starting(text);
        return found.empty() ? std::string() : found.back();
    }

private:
    static int record(const char* command)
    {
        velq::CommandFn library = nullptr;
        {
            std::lock_guard lock(s_mutex);
            s_sent.emplace_back(command);
            library = s_library;
        }
        return library ? library(command) : 0;
    }

    static inline std::mutex s_mutex;
    static inline std::vector<std::string> s_sent;
    static inline velq::CommandFn s_library = nullptr;
};

// Counts the paint events of the widget it filters: a window at rest paints nothing, and a
// change is painted once however many rectangles it marked.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The main window with recordings in its list, added the way a user adds them: through the
// file selector.
class ListTest : public ViewerTest
{
protected:
    void startWindow()
    {
        start();
        CommandLog::attach(window->adapter());
    }

    // Chooses the folder on the tab, ticks every recording and presses "Add to List".
    void addFolder(const QString& folder, int tab = 0)
    {
        clickControl(1241);
        FilesOpenPopup* files = window->filesPopup();
        ASSERT_NE(files, nullptr);
        ASSERT_TRUE(files->isVisible());
        files->findChild<QTabBar*>()->setCurrentIndex(tab);
        ASSERT_GT(files->ScanFolder(folder, tab), 0) << folder.toStdString();
        files->page(tab)->list()->setAllChecked(true);
        QTest::mouseClick(
            files->findChild<QAbstractButton*>(QStringLiteral("1247")), Qt::LeftButton);
        EXPECT_FALSE(files->isVisible());
    }

    // Empty files named as the camera names continuous recordings, in a folder of their own.
    QString namesFolder(int count)
    {
        auto* dir = new QTemporaryDir;
        m_folders.emplace_back(dir);
        for (int i = 0; i < count; ++i) {
            QFile file(dir->filePath(QStringLiteral("drf_20240101_%1.mp4")
                                         .arg(100000 + i * 7, 6, 10, QLatin1Char('0'))));
            file.open(QIODevice::WriteOnly);
        }
        return dir->path();
    }

    // Presses within the window at a client point (sent to the window itself, as where no
    // child window covers it).
    void press(QPoint point) { QTest::mousePress(window.get(), Qt::LeftButton, {}, point); }
    void release(QPoint point) { QTest::mouseRelease(window.get(), Qt::LeftButton, {}, point); }
    void clickAt(QPoint point) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, point); }
    void moveTo(QPoint point)
    {
        QMouseEvent move(QEvent::MouseMove, point, window->mapToGlobal(point), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &move);
    }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window.get(), k, modifiers);
    }
    static QPoint rowPoint(int row) { return {800, 638 + 18 * row + 9}; }

    // What the screen shows of the window once pending paints are done: the pixels the window's
    // paints handed over, not a fresh paint of the whole window as QWidget::grab would make.
    QImage onScreen()
    {
        QTest::qWait(100);
        return window->screen()
            ->grabWindow(window->winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // The screen shows the back buffer in area.
    bool screenShows(const QRect& area)
    {
        const QImage screen = onScreen();
        return screen.copy(area)
            == window->backBuffer().convertToFormat(QImage::Format_RGB32).copy(area);
    }

    std::vector<std::unique_ptr<QTemporaryDir>> m_folders;
};
